#!/usr/bin/env bash
# Builds the reader's libFuzzer target with clang in build-fuzz and runs it for SECONDS
# (default 60) on a copy of samples/ plus a few seeds of its own. Exits non-zero on a crash;
# the crashing input is kept in build-fuzz/artifacts/.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DUGF_FUZZ=ON \
  -DUGF_BENCH=OFF -DUGF_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target ugf_reader_fuzz

work=$(mktemp -d "${TMPDIR:-/tmp}/ugf_fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
corpus=$work/corpus
mkdir "$corpus" "$work/tmp"
export TMPDIR=$work/tmp  # the target's scratch file goes away with it, even after a crash
if [ -d "$root/samples" ]; then
  find "$root/samples" -maxdepth 1 -type f -exec cp {} "$corpus"/ \;
fi
printf ' X   Y   PenNo (0-continue,-1-stop)\r\n12.50 -3.00 4\r\n 1.00  2.00 0\r\n 0 0 -1\r\n' >"$corpus/seed_new"
printf ' X   Y   PenNo (0-Pen up, -1-stop)\n0 0 0\n10 0 1\n10 10 1\n0 0 -5\n' >"$corpus/seed_old"
printf 'label\n1e2\t-.5\t+3 rest\n+3.\n1.5E-3\n0\n' >"$corpus/seed_forms"
printf 'label\n1 2 2147483647\n-0 1e-50 -2147483648\n' >"$corpus/seed_limits"
printf 'label\r\n1 2 3\r\n4 x 5\r\n' >"$corpus/seed_bad"
printf 'label only' >"$corpus/seed_label"

mkdir -p "$build/artifacts"
status=0
"$build/fuzz/ugf_reader_fuzz" -max_total_time="$seconds" -timeout=5 -max_len=8192 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/" "$corpus" || status=$?
if [ "$status" -ne 0 ]; then
  echo "fuzz.sh: the reader's fuzz target failed (status $status); inputs in $build/artifacts/" >&2
fi
exit "$status"
