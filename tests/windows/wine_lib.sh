# shellcheck shell=bash
# Shared parts of the Windows tests: the program under wine beside the Linux program.
# tools/windows.sh sets up the wine prefix and its environment (WINEPREFIX, LANG) first.
# Usage: source "$(dirname "$0")/wine_lib.sh"; wine_args "$@". Exit codes: 0 pass, 1 fail.

fail() {
  echo "FAIL: $*"
  exit 1
}

# wine_args EXE LINUX_UGFVIEW: `exe` and `lin` as absolute paths, `tmp` a fresh folder.
wine_args() {
  [[ $# -eq 2 ]] || { echo "usage: $0 UGFVIEW.EXE LINUX_UGFVIEW"; exit 1; }
  exe=$(readlink -f "$1")
  lin=$(readlink -f "$2")
  [[ -f $exe ]] || fail "$1 is missing"
  [[ -x $lin ]] || fail "$2 is missing (the Linux build is the reference)"
  [[ -n ${WINEPREFIX:-} ]] || fail "WINEPREFIX is not set: run through tools/windows.sh test"
  src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  tmp=$(mktemp -d "${TMPDIR:-/tmp}/ugfview-win.XXXXXX") || fail "mktemp"
  trap 'chattr -i "$tmp"/* 2>/dev/null; rm -rf "$tmp"' EXIT
}

# win ARGS...: ugfview.exe under wine in the current folder, stdout and stderr with LF.
# Status in `st`, output in `out` and `err`.
win() {
  timeout 120 wine "$exe" "$@" >"$tmp/.out" 2>"$tmp/.err"
  st=$?
  out=$(tr -d '\r' <"$tmp/.out")
  err=$(tr -d '\r' <"$tmp/.err")
}

# lnx ARGS...: the Linux program the same way.
lnx() {
  timeout 120 "$lin" "$@" >"$tmp/.out" 2>"$tmp/.err"
  st=$?
  out=$(cat "$tmp/.out")
  err=$(cat "$tmp/.err")
}

# same_png A B: the same size and pixels.
same_png() {
  local d
  d=$(compare -metric AE "$1" "$2" null: 2>&1) || true
  [[ $d == 0 ]]
}
