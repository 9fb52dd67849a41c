#!/usr/bin/env bash
# The SDL window under Xvfb, driven with xdotool: extended keys, a Cyrillic letter, mouse
# buttons, the wheel, the close box answered No (queued keys survive) and Yes (status 0), and
# the picture on the X server against the program's own screenshot.
# Usage: sdl_keys_test.sh UGFVIEW
# Exit 0 pass, 1 fail, 77 skip (no Xvfb or xdotool; UGFVIEW_REQUIRE_X=1 turns a skip into a fail).
set -uo pipefail

step_timeout=10  # seconds for the program to answer one step

skip() {
  if [[ ${UGFVIEW_REQUIRE_X:-} == 1 ]]; then
    echo "FAIL: $* (UGFVIEW_REQUIRE_X=1)"
    exit 1
  fi
  echo "SKIP: $*"
  exit 77
}

[[ $# -eq 1 ]] || { echo "usage: $0 UGFVIEW"; exit 1; }
[[ -x $1 ]] || { echo "FAIL: $1 is not an executable"; exit 1; }
case $1 in
  /*) prog=$1 ;;
  *) prog=$PWD/$1 ;;
esac

for tool in Xvfb xdotool xwininfo xwd python3; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (tools/deps.sh installs it)"
done
python3 -c 'import ctypes; ctypes.CDLL("libX11.so.6")' 2>/dev/null ||
  skip "python3 cannot load libX11.so.6"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/ugfview-x11.XXXXXX") || { echo "FAIL: mktemp"; exit 1; }
log=$tmp/keys.log
xvfb_pid=
prog_pid=

cleanup() {
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
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
  echo "FAIL: $*"
  if [[ -s $log ]]; then
    echo "--- key log ($(grep -c '^frame' "$log") frame lines left out):"
    grep -n -v '^frame' "$log"
  fi
  for f in prog.err xvfb.err; do
    [[ -s $tmp/$f ]] && { echo "--- $f:"; tail -n 20 "$tmp/$f"; }
  done
  exit 1
}

# Helpers that need Xlib or image decoding.
cat >"$tmp/xhelp.py" <<'EOF'
import ctypes
import struct
import sys
import zlib


def close_request(window):
    """Sends WM_DELETE_WINDOW as a window manager does for the close box."""
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                             ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]

    class XEvent(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    d = x.XOpenDisplay(None)
    if not d:
        sys.exit("cannot open the display")
    ev = XEvent()
    ev.xclient.type = 33  # ClientMessage
    ev.xclient.window = window
    ev.xclient.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
    ev.xclient.format = 32
    ev.xclient.l[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
    ev.xclient.l[1] = 0  # CurrentTime
    ok = x.XSendEvent(d, window, 0, 0, ctypes.byref(ev))
    x.XCloseDisplay(d)  # flushes and waits for the server
    if not ok:
        sys.exit("XSendEvent failed")


def map_keysyms(lower, upper):
    """Puts a keysym pair on a spare keycode for good. xdotool otherwise maps a spare keycode
    just for the keystroke and maps it back at once; a program that looks the key up after
    that finds no symbol, and the character is lost."""
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                   ctypes.POINTER(ctypes.c_int)]
    x.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
    x.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int,
                                      ctypes.POINTER(ctypes.c_int)]
    x.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                         ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
    x.XStringToKeysym.restype = ctypes.c_ulong
    x.XStringToKeysym.argtypes = [ctypes.c_char_p]
    x.XFree.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    d = x.XOpenDisplay(None)
    if not d:
        sys.exit("cannot open the display")
    lo, hi, per = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
    x.XDisplayKeycodes(d, ctypes.byref(lo), ctypes.byref(hi))
    n = hi.value - lo.value + 1
    keymap = x.XGetKeyboardMapping(d, lo.value, n, ctypes.byref(per))
    spare = [lo.value + i for i in range(n)
             if not any(keymap[i * per.value + j] for j in range(per.value))]
    x.XFree(keymap)
    syms = (ctypes.c_ulong * 2)(x.XStringToKeysym(lower.encode()),
                                x.XStringToKeysym(upper.encode()))
    if not spare or not all(syms):
        sys.exit("no spare keycode or unknown keysym")
    x.XChangeKeyboardMapping(d, spare[-1], 2, syms, 1)
    x.XCloseDisplay(d)


def read_png(path, rows_needed):
    """8-bit RGB PNG, not interlaced: (width, height, rows[0:rows_needed])."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    pos, idat, ihdr = 8, b"", None
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    w, h, depth, ctype, _, _, interlace = ihdr
    if (depth, ctype, interlace) != (8, 2, 0):
        sys.exit(f"{path}: depth {depth}, colour type {ctype}, interlace {interlace}; "
                 "want 8-bit RGB, not interlaced")
    raw = zlib.decompress(idat)
    stride, bpp = w * 3, 3
    prior, rows = bytearray(stride), []
    for y in range(min(rows_needed, h)):
        f = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - bpp] if i >= bpp else 0
            b = prior[i]
            c = prior[i - bpp] if i >= bpp else 0
            if f == 1:
                row[i] = (row[i] + a) & 255
            elif f == 2:
                row[i] = (row[i] + b) & 255
            elif f == 3:
                row[i] = (row[i] + ((a + b) >> 1)) & 255
            elif f == 4:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(row)
        prior = row
    return w, h, rows


def xwd_pixel_reader(path):
    """Pixel (x, y) -> (r, g, b) of a TrueColor ZPixmap XWD dump."""
    data = open(path, "rb").read()
    hdr = struct.unpack(">25I", data[:100])
    (header_size, _, fmt, _, width, height, _, byte_order, _, _, _, bpp, bpl, vclass,
     rmask, gmask, bmask, _, _, ncolors) = hdr[:20]
    if fmt != 2 or bpp not in (24, 32) or vclass not in (4, 5):
        sys.exit(f"{path}: format {fmt}, {bpp} bits per pixel, visual class {vclass}")
    base = header_size + 12 * ncolors
    order = "little" if byte_order == 0 else "big"

    def channel(v, mask):
        shift = (mask & -mask).bit_length() - 1
        return (v & mask) >> shift

    def pixel(x, y):
        if not (0 <= x < width and 0 <= y < height):
            sys.exit(f"{path}: ({x}, {y}) is outside {width}x{height}")
        at = base + y * bpl + x * (bpp // 8)
        v = int.from_bytes(data[at:at + bpp // 8], order)
        return channel(v, rmask), channel(v, gmask), channel(v, bmask)

    return pixel


def compare(own_png, shot_xwd, ox, oy, cw, ch):
    """Swatch centres of the test card's top band: own screenshot against the X server."""
    w, h = cw, ch
    m = max(w // 64, 4)
    band = (h - 5 * m) // 4
    sw = (w - 2 * m) // 16
    y = m + band // 3  # halfway down the swatches
    pw, ph, rows = read_png(own_png, y + 1)
    if (pw, ph) != (cw, ch):
        sys.exit(f"own screenshot is {pw}x{ph}, the window's client area {cw}x{ch}")
    shot = xwd_pixel_reader(shot_xwd)
    bad, seen = [], set()
    for i in range(16):
        x = m + i * sw + sw // 2
        own = tuple(rows[y][3 * x:3 * x + 3])
        on_screen = shot(ox + x, oy + y)
        seen.add(own)
        print(f"  swatch {i:2} at client ({x}, {y}): own {own}, X server {on_screen}")
        if own != on_screen:
            bad.append(i)
    if bad:
        sys.exit(f"swatches {bad} differ")
    if len(seen) < 8:
        sys.exit(f"only {len(seen)} distinct swatch colours: the test card is not drawn")


if __name__ == "__main__":
    if sys.argv[1] == "keysyms":
        map_keysyms(sys.argv[2], sys.argv[3])
    elif sys.argv[1] == "close":
        close_request(int(sys.argv[2], 0))
    elif sys.argv[1] == "compare":
        compare(sys.argv[2], sys.argv[3], *map(int, sys.argv[4:8]))
EOF

# --- X server on a free display --------------------------------------------------------------
# -noreset: the server would otherwise reset its keymap whenever its last client leaves.
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.err" 2>&1 &
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
python3 "$tmp/xhelp.py" keysyms Cyrillic_ef Cyrillic_EF || fail "cannot map the Cyrillic key"

# --- the program ---------------------------------------------------------------------------
(cd "$tmp" && UGFVIEW_KEYLOG=$log SDL_VIDEODRIVER=x11 exec "$prog" --test-card --screenshot "$tmp/own.png") \
  >"$tmp/prog.out" 2>"$tmp/prog.err" &
prog_pid=$!

# Key log helpers. `pos` is the last line already matched: every step checks only what came
# after the previous step, so a stray line cannot hide between steps.
pos=0

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
  until line=$(awk -v p="$pos" -v re="$filter" 'NR > p && $0 ~ re { print NR; exit }' "$log") &&
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

# The quit question's window, once it is mapped.
find_box() {
  local id end=$((SECONDS + step_timeout))
  while :; do
    for id in $(xwininfo -root -tree 2>/dev/null | awk '/"Exit"/ { print $1 }'); do
      if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
        echo "$id"
        return
      fi
    done
    kill -0 "$prog_pid" 2>/dev/null || return 1
    ((SECONDS < end)) || return 1
    sleep 0.02
  done
}

# The visible top-level window titled "САПР " (SDL may own further, hidden windows).
win=
end=$((SECONDS + step_timeout))
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
# No window manager here: the program itself must fill the usable screen.
[[ "$ox $oy $cw $ch" == "0 0 1280 1024" ]] ||
  fail "window not maximised: client ${cw}x${ch} at ($ox, $oy), screen 1280x1024"

timeout "$step_timeout" xdotool windowfocus --sync "$win" || fail "cannot focus window $win"

keys='^(queued|read) '
xdotool key shift+Down
await "Shift+Down" "$keys" "queued 0" "queued 160" "read 0" "read 160"

# Ctrl+Shift+Down and F1 queue nothing: the next codes are Ctrl+Left's.
xdotool key ctrl+shift+Down F1 ctrl+Left
await "Ctrl+Shift+Down, F1, Ctrl+Left" "$keys" "queued 0" "queued 115" "read 0" "read 115"

xdotool key Page_Up
await "PgUp" "$keys" "queued 0" "queued 73" "read 0" "read 73"

# The log shows the raw CP1251 byte; the test card's command-key reader turns it into 'A'.
# The letter sits on a key of its own (see map_keysyms), as with a Russian layout.
xdotool type 'ф'
await "Cyrillic ef" "$keys" "queued 244" "read 244"

# A press sets the button state and queues its code; the next move sets the state back to 0.
mouse='^(queued|read|mouse) '
xdotool mousemove --window "$win" 200 300 click 1
await "left click" "$mouse" "mouse 200 300 0" "mouse 200 300 1" "queued 32" "read 32"
xdotool mousemove --window "$win" 250 320 click 3
await "right click" "$mouse" "mouse 250 320 0" "mouse 250 320 2" "queued 13" "read 13"

xdotool click 5
await "wheel towards the user" "$keys" "queued 0" "queued 73" "read 0" "read 73"
xdotool click 4
await "wheel away from the user" "$keys" "queued 0" "queued 81" "read 0" "read 81"

# Input that waits while the program is busy (stopped here) must mean what it meant when it
# happened: a quick middle click is the middle button alone, and a letter typed before Ctrl
# went down is a letter.
kill -STOP "$prog_pid"
xdotool click 2
kill -CONT "$prog_pid"
await "middle click while busy" "$keys" "queued 66" "read 66"
kill -STOP "$prog_pid"
xdotool key x keydown ctrl
kill -CONT "$prog_pid"
await "letter typed ahead of Ctrl" "$keys" "queued 120" "read 120"
xdotool keyup ctrl

# The middle button with Shift held queues nothing: the next codes are PgDn's.
xdotool keydown shift click 2 keyup shift key Page_Down
await "Shift+middle click, PgDn" "$keys" "queued 0" "queued 81" "read 0" "read 81"

# Close box answered No, twice. While the first question is up, Shift+Down and a second close
# request wait in the X queue: after No the key is queued and the second question comes before
# the program reads it; after the second No the key must still be there.
closing='^(queued|read|close) '
python3 "$tmp/xhelp.py" close "$win" || fail "cannot send WM_DELETE_WINDOW"
box=$(find_box) || fail "no quit question after the close request"
echo "ok: quit question $box"
xdotool key shift+Down
python3 "$tmp/xhelp.py" close "$win" || fail "cannot send WM_DELETE_WINDOW"
xdotool key --window "$box" Escape
await "first No" "$closing" "close no" "queued 0" "queued 160"
box=$(find_box) || fail "no second quit question"
[[ -z $(lines_since '^(read|close) ') ]] || fail "keys read or question answered too early"
xdotool key --window "$box" Escape
await "second No keeps the queued key" "$closing" "close no" "read 0" "read 160"
kill -0 "$prog_pid" 2>/dev/null || fail "the program ended after No"

# The X server's picture, once the framebuffer has been shown after the question went away.
await_match "a frame after the question" '^frame '
xwd -root -silent >"$tmp/shot.xwd" || fail "xwd failed"

python3 "$tmp/xhelp.py" close "$win" || fail "cannot send WM_DELETE_WINDOW"
box=$(find_box) || fail "no quit question for Yes"
xdotool key --window "$box" Return
await "Yes" "$closing" "close yes"
end=$((SECONDS + step_timeout))
while kill -0 "$prog_pid" 2>/dev/null; do
  ((SECONDS < end)) || fail "the program still runs $step_timeout s after Yes"
  sleep 0.02
done
wait "$prog_pid"
status=$?
prog_pid=
((status == 0)) || fail "exit status $status after Yes, want 0"
echo "ok: exit status 0"

# The whole run's key traffic, in order, with nothing extra.
want=$(printf '%s\n' \
  "queued 0" "queued 160" "read 0" "read 160" \
  "queued 0" "queued 115" "read 0" "read 115" \
  "queued 0" "queued 73" "read 0" "read 73" \
  "queued 244" "read 244" \
  "queued 32" "read 32" "queued 13" "read 13" \
  "queued 0" "queued 73" "read 0" "read 73" \
  "queued 0" "queued 81" "read 0" "read 81" \
  "queued 66" "read 66" "queued 120" "read 120" "queued 0" "queued 81" "read 0" "read 81" \
  "close no" "queued 0" "queued 160" "close no" "read 0" "read 160" \
  "close yes")
got=$(grep -E '^(queued|read|close) ' "$log")
[[ $got == "$want" ]] || fail "whole key log: wanted"$'\n'"$want"$'\n'"got"$'\n'"$got"
echo "ok: whole key log"

[[ -s $tmp/own.png ]] || fail "no --screenshot file after Yes"
python3 "$tmp/xhelp.py" compare "$tmp/own.png" "$tmp/shot.xwd" "$ox" "$oy" "$cw" "$ch" ||
  fail "the X server's picture differs from the program's screenshot"
echo "ok: X screenshot matches the program's screenshot"
echo "PASS"
