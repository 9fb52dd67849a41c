#!/usr/bin/env bash
# Builds the reader's libFuzzer targets with clang in build-fuzz and runs them for SECONDS
# in all (default 60; a third for the reader against itself in large and small blocks, the
# rest for the fast reader against the plain one) on a copy of samples/ plus a few seeds of
# its own. Exits non-zero on a crash; the crashing input is kept in build-fuzz/artifacts/.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DUGF_FUZZ=ON \
  -DUGF_BENCH=OFF -DUGF_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target ugf_reader_fuzz ugf_reader_diff_fuzz

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
# Records in the writers' layout, long enough for the record path, ending in odd ways.
for i in $(seq 1 40); do LC_ALL=C printf '%6.2f %6.2f %d\r\n' "$i.25" "-$i.5" $((i % 3)); done |
  sed '1i label' >"$corpus/seed_plain"
{ cat "$corpus/seed_plain"; printf '1.5 2.5e1 3\r\n7 8 x\r\n'; } >"$corpus/seed_plain_bad"

mkdir -p "$build/artifacts"
status=0
run() {  # TARGET SECONDS: on a corpus of its own, so that each keeps what it found
  cp -r "$corpus" "$work/corpus_$1"
  "$build/fuzz/$1" -max_total_time="$2" -timeout=5 -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$1-" "$work/corpus_$1" || {
    status=$?
    echo "fuzz.sh: the fuzz target $1 failed (status $status); inputs in $build/artifacts/" >&2
  }
}
run ugf_reader_fuzz $((seconds / 3))
run ugf_reader_diff_fuzz $((seconds - seconds / 3))
exit "$status"
