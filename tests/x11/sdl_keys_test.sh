#!/usr/bin/env bash
# The SDL window under Xvfb, driven with xdotool: extended keys, a Cyrillic letter, Ctrl with a
# Cyrillic letter, the keypad with NumLock off, Alt and Windows-key shortcuts, mouse buttons,
# the wheel, the close box answered No (queued keys survive) and Yes (status 0), and the
# picture on the X server against the program's own screenshot.
# Usage: sdl_keys_test.sh UGFVIEW
# Exit 0 pass, 1 fail, 77 skip (no Xvfb or xdotool; UGFVIEW_REQUIRE_X=1 turns a skip into a fail).
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=x11_lib.sh
source "$(dirname "$0")/x11_lib.sh"
x11_args "$@"
x11_tools
python3 -c 'import ctypes; ctypes.CDLL("libX11.so.6")' 2>/dev/null ||
  skip "python3 cannot load libX11.so.6"

x11_tmp

# Helpers that need Xlib or image decoding.
x11_image_module
cat >"$tmp/xhelp.py" <<'EOF'
import ctypes
import sys

from x11img import read_png, read_xwd


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


def map_keysyms(lower, upper, onto):
    """Puts a keysym pair for good on the key that carries the keysym `onto`, as a layout
    does. xdotool otherwise maps a spare keycode just for the keystroke and maps it back at
    once; a program that looks the key up after that finds no symbol, and the character is
    lost."""
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
    x.XKeysymToKeycode.restype = ctypes.c_ubyte
    x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    d = x.XOpenDisplay(None)
    if not d:
        sys.exit("cannot open the display")
    key = x.XKeysymToKeycode(d, x.XStringToKeysym(onto.encode()))
    syms = (ctypes.c_ulong * 2)(x.XStringToKeysym(lower.encode()),
                                x.XStringToKeysym(upper.encode()))
    if not key or not all(syms):
        sys.exit("no key for the keysym or unknown keysym")
    x.XChangeKeyboardMapping(d, key, 2, syms, 1)
    x.XCloseDisplay(d)


def xwd_pixel_reader(path):
    """Pixel (x, y) -> (r, g, b) of a TrueColor ZPixmap XWD dump."""
    data, h, base = read_xwd(path)
    fmt, width, height, bpp, bpl, vclass = (h["format"], h["width"], h["height"], h["bpp"],
                                            h["bpl"], h["vclass"])
    rmask, gmask, bmask, byte_order = h["rmask"], h["gmask"], h["bmask"], h["byte_order"]
    if fmt != 2 or bpp not in (24, 32) or vclass not in (4, 5):
        sys.exit(f"{path}: format {fmt}, {bpp} bits per pixel, visual class {vclass}")
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
        map_keysyms(sys.argv[2], sys.argv[3], sys.argv[4])
    elif sys.argv[1] == "close":
        close_request(int(sys.argv[2], 0))
    elif sys.argv[1] == "compare":
        compare(sys.argv[2], sys.argv[3], *map(int, sys.argv[4:8]))
EOF

x11_xvfb
# ф on the A key, as in the Russian layout.
python3 "$tmp/xhelp.py" keysyms Cyrillic_ef Cyrillic_EF a || fail "cannot map the Cyrillic key"

x11_start "$tmp" --test-card --screenshot "$tmp/own.png"

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

x11_window
x11_want_maximised
x11_focus

keys='^(queued|read) '
xdotool key shift+Down
await "Shift+Down" "$keys" "queued 0" "queued 160" "read 0" "read 160"

# Ctrl+Shift+Down and Ctrl+F1 queue nothing: the next codes are Ctrl+Left's; F1 is 0, 59.
xdotool key ctrl+shift+Down ctrl+F1 ctrl+Left F1
await "Ctrl+Shift+Down, Ctrl+F1, Ctrl+Left, F1" "$keys" "queued 0" "queued 115" "read 0" "read 115" \
  "queued 0" "queued 59" "read 0" "read 59"

xdotool key Page_Up
await "PgUp" "$keys" "queued 0" "queued 73" "read 0" "read 73"

# The log shows the raw CP1251 byte; the test card's command-key reader turns it into 'A'.
xdotool type 'ф'
await "Cyrillic ef" "$keys" "queued 244" "read 244"

# Ctrl with the key gives the control code of the Latin letter on it (Ctrl+A), and Ctrl with
# a Latin letter that of the letter.
xdotool key ctrl+Cyrillic_ef
await "Ctrl+ф" "$keys" "queued 1" "read 1"
xdotool key ctrl+b
await "Ctrl+B" "$keys" "queued 2" "read 2"

# The keypad with NumLock off (Xvfb starts so) is the keys printed on it.
for key_code in "KP_Up 72" "KP_Next 81" "ctrl+KP_End 117"; do
  read -r key code <<<"$key_code"
  xdotool key "$key"
  await "$key" "$keys" "queued 0" "queued $code" "read 0" "read $code"
done

# Alt and the Windows key with anything queue nothing: the next codes are PgUp's.
xdotool key alt+Left alt+x alt+Return ctrl+alt+a super+Down super+y Page_Up
await "Alt and Super keys, PgUp" "$keys" "queued 0" "queued 73" "read 0" "read 73"

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
x11_exit0 Yes

# The whole run's key traffic, in order, with nothing extra.
x11_key_log '^(queued|read|close) ' \
  "queued 0" "queued 160" "read 0" "read 160" \
  "queued 0" "queued 115" "read 0" "read 115" "queued 0" "queued 59" "read 0" "read 59" \
  "queued 0" "queued 73" "read 0" "read 73" \
  "queued 244" "read 244" "queued 1" "read 1" "queued 2" "read 2" \
  "queued 0" "queued 72" "read 0" "read 72" "queued 0" "queued 81" "read 0" "read 81" \
  "queued 0" "queued 117" "read 0" "read 117" "queued 0" "queued 73" "read 0" "read 73" \
  "queued 32" "read 32" "queued 13" "read 13" \
  "queued 0" "queued 73" "read 0" "read 73" \
  "queued 0" "queued 81" "read 0" "read 81" \
  "queued 66" "read 66" "queued 120" "read 120" "queued 0" "queued 81" "read 0" "read 81" \
  "close no" "queued 0" "queued 160" "close no" "read 0" "read 160" \
  "close yes"

[[ -s $tmp/own.png ]] || fail "no --screenshot file after Yes"
python3 "$tmp/xhelp.py" compare "$tmp/own.png" "$tmp/shot.xwd" "$ox" "$oy" "$cw" "$ch" ||
  fail "the X server's picture differs from the program's screenshot"
echo "ok: X screenshot matches the program's screenshot"
echo "PASS"
