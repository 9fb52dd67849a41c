#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test: release unit tests, the sanitizer
# build with a random-input soak, the real-window (Xvfb) tests, the Windows program under
# wine and, when there are fuzz targets, a bounded fuzz run.
set -euo pipefail
cd "$(dirname "$0")"
start=$SECONDS
stage() { echo "=== [$((SECONDS - start)) s] $*"; }

stage "dependencies"
tools/deps.sh

stage "release build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2
stage "release unit, headless, install and packaging tests"
ctest --test-dir build -j2 --output-on-failure -LE 'x11|cups'

stage "sanitizer build (address + undefined)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DUGF_SANITIZE=ON -DUGF_BENCH=OFF >/dev/null
cmake --build build-asan -j2 --target unit_tests ugfview
stage "sanitizer unit and headless tests"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan -j2 --output-on-failure -LE 'x11|cups'

stage "random-input soak (sanitizer build, ${UGF_SOAK_SECONDS:-60} s; UGF_SOAK_SECONDS for longer)"
python3 tests/soak.py --program build-asan/ugfview --seconds "${UGF_SOAK_SECONDS:-60}"

stage "real-window and printing tests (Xvfb, xdotool, private CUPS)"
ctest --test-dir build --output-on-failure -L 'x11|cups'

stage "Windows program (MinGW-w64 cross build, tests under wine)"
tools/windows.sh test

stage "reader fuzz targets (libFuzzer, 60 s: the reader in large and small blocks, the fast reader against the plain one)"
tools/fuzz.sh 60

stage "done"
