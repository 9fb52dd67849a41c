#!/usr/bin/env bash
# Sets up what is missing, builds, and opens ugfview (headless with a screenshot when
# there is no display).
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target ugfview
drawing=()
[[ -f samples/PART.UGF ]] && drawing=(samples/PART.UGF)
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec build/ugfview "${drawing[@]}" "$@"
fi
build/ugfview --headless --keys '' --screenshot build/run.png "${drawing[@]}" "$@"
echo "no display: the picture is in build/run.png"
