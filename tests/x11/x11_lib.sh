# shellcheck shell=bash
# Shared parts of the real-window tests: sourced by each *_x11_test.sh / sdl_keys_test.sh.
# Usage: source "$(dirname "$0")/x11_lib.sh"; x11_args "$@"; x11_tools; x11_tmp; x11_xvfb;
# x11_start DIR ARGS...; x11_window. Exit codes: 0 pass, 1 fail, 77 skip.

step_timeout=10  # seconds for the program to answer one step

skip() {
  if [[ ${UGFVIEW_REQUIRE_X:-} == 1 ]]; then
    echo "FAIL: $* (UGFVIEW_REQUIRE_X=1)"
    exit 1
  fi
  echo "SKIP: $*"
  exit 77
}

# x11_args UGFVIEW: the program under test, as an absolute path in `prog`.
x11_args() {
  [[ $# -eq 1 ]] || { echo "usage: $0 UGFVIEW"; exit 1; }
  [[ -x $1 ]] || { echo "FAIL: $1 is not an executable"; exit 1; }
  case $1 in
    /*) prog=$1 ;;
    *) prog=$PWD/$1 ;;
  esac
}

x11_tools() {
  local tool
  for tool in Xvfb xdotool xwininfo xwd python3; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (tools/deps.sh installs it)"
  done
}

# x11_tmp: the temporary folder `tmp` with the key log, and the traps that end the program
# and the X server and remove the folder however the script exits.
x11_tmp() {
  tmp=$(mktemp -d "${TMPDIR:-/tmp}/ugfview-x11.XXXXXX") || { echo "FAIL: mktemp"; exit 1; }
  log=$tmp/keys.log
  xvfb_pid=
  prog_pid=
  trap x11_cleanup EXIT
  trap 'exit 1' INT TERM HUP
}

x11_cleanup() {
  if [[ -n $prog_pid ]] && kill -0 "$prog_pid" 2>/dev/null; then
    kill "$prog_pid" 2>/dev/null
    kill -CONT "$prog_pid" 2>/dev/null  # in case a step left it stopped
    wait "$prog_pid" 2>/dev/null
  fi
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$tmp"
}

fail() {
  echo "FAIL: $*"
  if [[ -s $log ]]; then
    echo "--- key log ($(grep -c '^frame' "$log") frame lines left out):"
    grep -n -v '^frame' "$log"
  fi
  local f
  for f in prog.err ref.err xvfb.err; do
    [[ -s $tmp/$f ]] && { echo "--- $f:"; tail -n 20 "$tmp/$f"; }
  done
  exit 1
}

# x11_xvfb: an X server on a free display, exported as DISPLAY.
x11_xvfb() {
  local end
  # -noreset: the server would otherwise reset its keymap whenever its last client leaves.
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" \
    >"$tmp/xvfb.err" 2>&1 &
  xvfb_pid=$!
  end=$((SECONDS + step_timeout))
  until [[ -s $tmp/display ]]; do
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start"
    ((SECONDS < end)) || fail "Xvfb gave no display number within $step_timeout s"
    sleep 0.05
  done
  DISPLAY=:$(tr -d '[:space:]' <"$tmp/display")
  export DISPLAY
  unset WAYLAND_DISPLAY
  echo "Xvfb on $DISPLAY"
}

# x11_start DIR ARGS...: the program in DIR with the SDL X11 backend and the key log.
x11_start() {
  local dir=$1
  shift
  (cd "$dir" && UGFVIEW_KEYLOG=$log SDL_VIDEODRIVER=x11 exec "$prog" "$@") \
    >"$tmp/prog.out" 2>"$tmp/prog.err" &
  prog_pid=$!
  pos=0
}

# Key log helpers. `pos` is the last line already matched: every step checks only what came
# after the previous step, so a stray line cannot hide between steps.

# await WHAT FILTER LINE...: waits until the lines after `pos` that match the extended regex
# FILTER number as many as the LINEs, then wants exactly those lines and moves `pos` past them.
await() {
  local what=$1 filter=$2
  shift 2
  local want got last end=$((SECONDS + step_timeout))
  want=$(printf '%s\n' "$@")
  while :; do
    got=$(awk -v p="$pos" -v re="$filter" 'NR > p && $0 ~ re { print NR "\t" $0 }' "$log" 2>/dev/null |
      head -n $#)
    (($(grep -c . <<<"$got") >= $#)) && break
    kill -0 "$prog_pid" 2>/dev/null || fail "$what: the program ended; waited for:"$'\n'"$want"
    ((SECONDS < end)) || fail "$what: no answer within $step_timeout s; waited for:"$'\n'"$want"
    sleep 0.02
  done
  last=$(tail -n 1 <<<"$got" | cut -f1)
  got=$(cut -f2- <<<"$got")
  [[ $got == "$want" ]] || fail "$what: wanted"$'\n'"$want"$'\n'"got"$'\n'"$got"
  pos=$last
  echo "ok: $what"
}

# await_match WHAT FILTER: waits for any line after `pos` matching FILTER; moves `pos` past it.
await_match() {
  local what=$1 filter=$2 line end=$((SECONDS + step_timeout))
  until line=$(awk -v p="$pos" -v re="$filter" 'NR > p && $0 ~ re { print NR; exit }' "$log" 2>/dev/null) &&
    [[ -n $line ]]; do
    kill -0 "$prog_pid" 2>/dev/null || fail "$what: the program ended"
    ((SECONDS < end)) || fail "$what: nothing within $step_timeout s"
    sleep 0.02
  done
  pos=$line
  echo "ok: $what"
}

# Lines matching FILTER after `pos`, without waiting.
lines_since() { awk -v p="$pos" -v re="$1" 'NR > p && $0 ~ re' "$log"; }

# x11_window: the visible top-level window titled "САПР " in `win` (SDL may own further,
# hidden windows), once it has shown a frame; its client area in `ox oy cw ch`.
x11_window() {
  local id info end=$((SECONDS + step_timeout))
  win=
  while [[ -z $win ]]; do
    for id in $(timeout "$step_timeout" xdotool search --sync --pid "$prog_pid" 2>/dev/null); do
      [[ $(xdotool getwindowname "$id" 2>/dev/null) == "САПР " ]] || continue
      xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && { win=$id; break; }
    done
    [[ -n $win ]] && break
    kill -0 "$prog_pid" 2>/dev/null || fail "the program ended before its window showed"
    ((SECONDS < end)) || fail "no visible window titled 'САПР ' within $step_timeout s"
    sleep 0.05
  done
  await_match "first frame" '^frame '

  info=$(xwininfo -id "$win")
  field() { awk -F: -v k="$1" '$1 ~ k { gsub(/ /, "", $2); print $2 }' <<<"$info"; }
  ox=$(field 'Absolute upper-left X') oy=$(field 'Absolute upper-left Y')
  cw=$(field '^ *Width') ch=$(field '^ *Height')
  echo "window $win: client ${cw}x${ch} at ($ox, $oy)"
}

# No window manager here: the program itself must fill the usable screen.
x11_want_maximised() {
  [[ "$ox $oy $cw $ch" == "0 0 1280 1024" ]] ||
    fail "window not maximised: client ${cw}x${ch} at ($ox, $oy), screen 1280x1024"
}

x11_focus() {
  timeout "$step_timeout" xdotool windowfocus --sync "$win" || fail "cannot focus window $win"
}

# x11_still WHAT END: waits until the program has shown no new frame for 0.3 s (the picture
# is complete, not a replay in progress); fails at SECONDS END.
x11_still() {
  local frames now quiet=0
  frames=$(grep -c '^frame ' "$log")
  while ((quiet < 15)); do
    sleep 0.02
    now=$(grep -c '^frame ' "$log")
    if [[ $now != "$frames" ]]; then
      frames=$now quiet=0
    else
      ((quiet++))
    fi
    kill -0 "$prog_pid" 2>/dev/null || fail "$1: the program ended"
    ((SECONDS < $2)) || fail "$1: the picture did not settle within $step_timeout s"
  done
}

# x11_exit0 AFTER [WHY]: the program ends within the step time after AFTER, with status 0.
x11_exit0() {
  local status end=$((SECONDS + step_timeout))
  while kill -0 "$prog_pid" 2>/dev/null; do
    ((SECONDS < end)) || fail "the program still runs $step_timeout s after $1${2:+: $2}"
    sleep 0.02
  done
  wait "$prog_pid"
  status=$?
  prog_pid=
  ((status == 0)) || fail "exit status $status after $1, want 0"
  echo "ok: exit status 0"
}

# x11_key_log FILTER LINE...: the whole run's log lines matching FILTER, in order, are LINEs.
x11_key_log() {
  local filter=$1 want got
  shift
  want=$(printf '%s\n' "$@")
  got=$(grep -E "$filter" "$log")
  [[ $got == "$want" ]] || fail "whole key log: wanted"$'\n'"$want"$'\n'"got"$'\n'"$got"
  echo "ok: whole key log"
}

# x11_image_module: $tmp/x11img.py, the PNG and XWD readers the tests' Python helpers import
# (Python finds it next to the helper script it runs).
x11_image_module() {
  cat >"$tmp/x11img.py" <<'EOF'
import struct
import sys
import zlib


def read_png(path, rows_needed=None):
    """8-bit RGB or indexed PNG, not interlaced: (width, height, rows[0:rows_needed] as RGB
    bytes)."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    pos, idat, ihdr, plte = 8, b"", None, b""
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            plte = body
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    w, h, depth, ctype, _, _, interlace = ihdr
    if depth != 8 or ctype not in (2, 3) or interlace != 0:
        sys.exit(f"{path}: depth {depth}, colour type {ctype}, interlace {interlace}; "
                 "want 8-bit RGB or indexed, not interlaced")
    raw = zlib.decompress(idat)
    bpp = 3 if ctype == 2 else 1
    stride = w * bpp
    prior, rows = bytearray(stride), []
    for y in range(h if rows_needed is None else min(rows_needed, h)):
        f = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if f == 2:
            row = bytearray((a + b) & 255 for a, b in zip(row, prior))
        elif f == 1:
            for i in range(bpp, stride):
                row[i] = (row[i] + row[i - bpp]) & 255
        elif f in (3, 4):
            for i in range(stride):
                a = row[i - bpp] if i >= bpp else 0
                b = prior[i]
                c = prior[i - bpp] if i >= bpp else 0
                if f == 3:
                    p = (a + b) >> 1
                else:
                    pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                    p = a if pa <= pb and pa <= pc else b if pb <= pc else c
                row[i] = (row[i] + p) & 255
        elif f != 0:
            sys.exit(f"{path}: bad filter {f} in row {y}")
        rows.append(row if ctype == 2 else bytearray(b"".join(plte[3 * i:3 * i + 3] for i in row)))
        prior = row
    return w, h, rows


def read_xwd(path):
    """A ZPixmap XWD dump: (data, header fields by name, offset of the first pixel)."""
    data = open(path, "rb").read()
    hdr = struct.unpack(">25I", data[:100])
    names = ("header_size", "version", "format", "depth", "width", "height", "xoffset",
             "byte_order", "bitmap_unit", "bitmap_bit_order", "bitmap_pad", "bpp", "bpl",
             "vclass", "rmask", "gmask", "bmask", "bits_per_rgb", "colormap_entries",
             "ncolors")
    h = dict(zip(names, hdr))
    return data, h, h["header_size"] + 12 * h["ncolors"]
EOF
}
