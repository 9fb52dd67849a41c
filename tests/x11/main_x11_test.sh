#!/usr/bin/env bash
# A whole session in the SDL window under Xvfb, driven with xdotool: started without a drawing,
# the program moves to the folder that TEK.DAT names (Windows style, drive letter and all), the
# file selector's brackets follow Right, Down and Left to PLAN, Enter draws it under the main
# menu, the arrows pan it, the wheel zooms out and back in, and Esc ends the run with status 0.
# Every X screenshot must equal, pixel for pixel, the picture a headless run shows after the
# same keys; on top of that the bracket moves, the pan steps and the zoom factor are measured
# on the X screenshots themselves, and the last one must equal the program's own --screenshot.
# Usage: main_x11_test.sh UGFVIEW
# Exit 0 pass, 1 fail, 77 skip (no Xvfb or xdotool; UGFVIEW_REQUIRE_X=1 turns a skip into a fail).
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=x11_lib.sh
source "$(dirname "$0")/x11_lib.sh"
x11_args "$@"
x11_tools

samples=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/samples
for f in PART PLAN PENS; do
  [[ -r $samples/$f.UGF ]] || { echo "FAIL: no sample drawing $samples/$f.UGF"; exit 1; }
done

x11_tmp

# The start folder holds TEK.DAT, a DOS text file whose line 2 names the drawing folder as
# Windows writes it: a drive letter, backslashes, a trailing backslash.
run=$tmp/run
mkdir -p "$run/DRAW" || fail "mkdir"
cp "$samples/PART.UGF" "$samples/PLAN.UGF" "$samples/PENS.UGF" "$run/DRAW/" || fail "cp"
[[ $run != *\\* ]] || fail "the temporary folder $run holds a backslash"
draw_dos="C:${run//\//\\}\\DRAW\\"
printf '%s\r\n' "ugfview session" "$draw_dos" "" "" "" "" "0 0 0 0 0" >"$run/TEK.DAT"
echo "TEK.DAT line 2: $draw_dos"

# Checks that need image decoding. Pictures are compared in client coordinates; an X
# screenshot is the whole root window, so its reader takes the client's origin.
x11_image_module
cat >"$tmp/xhelp.py" <<'EOF'
import array
import sys

import x11img

RED = 0xFF0000  # the pen of PLAN's table, the only long red lines of the three drawings
WHITE = 0xFFFFFF  # text and selector brackets


def read_png(path):
    """8-bit RGB PNG: (width, height, rows of 0xRRGGBB)."""
    w, h, rows = x11img.read_png(path)
    return w, h, [[(r[i] << 16) | (r[i + 1] << 8) | r[i + 2] for i in range(0, len(r), 3)]
                  for r in rows]


def read_xwd(path, ox, oy, cw, ch):
    """The client area of a TrueColor ZPixmap XWD dump of the root: rows of 0xRRGGBB."""
    data, h, base = x11img.read_xwd(path)
    fmt, width, height, bpp, bpl, vclass = (h["format"], h["width"], h["height"], h["bpp"],
                                            h["bpl"], h["vclass"])
    rmask, gmask, bmask, byte_order = h["rmask"], h["gmask"], h["bmask"], h["byte_order"]
    if fmt != 2 or bpp != 32 or vclass not in (4, 5):
        sys.exit(f"{path}: format {fmt}, {bpp} bits per pixel, visual class {vclass}")
    if ox < 0 or oy < 0 or ox + cw > width or oy + ch > height:
        sys.exit(f"{path}: client {cw}x{ch} at ({ox}, {oy}) is outside {width}x{height}")
    swap = (byte_order == 0) != (sys.byteorder == "little")
    shifts = [(m & -m).bit_length() - 1 for m in (rmask, gmask, bmask)]
    plain = (rmask, gmask, bmask) == (0xFF0000, 0xFF00, 0xFF)
    rows = []
    for y in range(oy, oy + ch):
        at = base + y * bpl + ox * 4
        v = array.array("I", data[at:at + cw * 4])
        if swap:
            v.byteswap()
        if plain:
            rows.append([p & 0xFFFFFF for p in v])
        else:
            rows.append([(((p & rmask) >> shifts[0]) << 16) | (((p & gmask) >> shifts[1]) << 8) |
                         ((p & bmask) >> shifts[2]) for p in v])
    return rows


def rgb(v):
    return f"({v >> 16}, {(v >> 8) & 255}, {v & 255})"


def same_picture(rows, ref_rows, what):
    """None when equal, else a report of the differing pixels."""
    bad = [(x, y) for y, (a, b) in enumerate(zip(rows, ref_rows)) if a != b
           for x in range(len(a)) if a[x] != b[x]]
    if not bad:
        return None
    xs, ys = [p[0] for p in bad], [p[1] for p in bad]
    lines = [f"{len(bad)} pixels differ from {what}, within x {min(xs)}..{max(xs)}, "
             f"y {min(ys)}..{max(ys)}"]
    for x, y in bad[:5]:
        lines.append(f"  ({x}, {y}): X server {rgb(rows[y][x])}, {what} {rgb(ref_rows[y][x])}")
    return "\n".join(lines)


def red_box(rows):
    """Bounding box of the red runs of at least 40 pixels: PLAN's table as drawn."""
    box = None
    for y, row in enumerate(rows):
        run = 0
        for x, p in enumerate(row):
            run = run + 1 if p == RED else 0
            if run >= 40:
                x0 = x - run + 1
                box = (x0, y, x, y) if box is None else (
                    min(box[0], x0), min(box[1], y), max(box[2], x), max(box[3], y))
    return box


def changed(before, after, colour):
    """Pixels that turned from colour to something else, and pixels that became colour."""
    gone, came = [], []
    for y, (a, b) in enumerate(zip(before, after)):
        if a == b:
            continue
        for x in range(len(a)):
            if a[x] != b[x]:
                if a[x] == colour:
                    gone.append((x, y))
                elif b[x] == colour:
                    came.append((x, y))
                else:
                    sys.exit(f"({x}, {y}) changed from {rgb(a[x])} to {rgb(b[x])}, "
                             "not to or from the bracket colour")
    return gone, came


def span(points):
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return min(xs), min(ys), max(xs), max(ys)


def check_brackets(before, after, move, cw, ch):
    """The selector's brackets moved one cell: Right, Down or Left in the two-column list.
    Only the brackets change, and only in the text rows at the bottom."""
    gone, came = changed(before, after, WHITE)
    if not gone or not came:
        sys.exit(f"brackets: {len(gone)} white pixels gone, {len(came)} new; want both")
    g, c = span(gone), span(came)
    print(f"  brackets: white gone within {g}, new within {c} (x0, y0, x1, y1)")
    if min(g[1], c[1]) < ch * 4 // 5:
        sys.exit("brackets: changes above the text rows")
    half = cw // 2
    left = lambda s: s[2] < half
    right = lambda s: s[0] >= half
    ok = {"right": left(g) and right(c) and g[1] == c[1] and g[3] == c[3],
          "left": right(g) and left(c) and g[1] == c[1] and g[3] == c[3],
          "down": right(g) and right(c) and c[1] > g[3] and (g[0], g[2]) == (c[0], c[2])}[move]
    if not ok:
        sys.exit(f"brackets: not a move {move} between the two columns")


def check_menu(rows, cw, ch):
    box = red_box(rows)
    if box is None:
        sys.exit("no red table: PLAN is not drawn")
    print(f"  PLAN's table spans {box}")
    x0, y0, x1, y1 = box
    if x1 - x0 < 100 or y1 - y0 < 60 or y1 >= ch * 4 // 5:
        sys.exit(f"table box {box}: want at least 100x60, above the menu")
    return box


def check_moved(before, after, dx, dy, tol, factor):
    """The table's box after a pan (factor 1, moved by dx, dy within tol) or a zoom about the
    point (dx, dy) by factor: each edge at centre + (edge - centre) * factor within 1 pixel."""
    b, a = red_box(before), red_box(after)
    if a is None:
        sys.exit("the red table has gone")
    print(f"  table before {b}, after {a}")
    if factor == 1:
        mx, my = a[0] - b[0], a[1] - b[1]
        print(f"  moved by ({mx}, {my}), want ({dx}, {dy}) within {tol}")
        if a[2] - a[0] != b[2] - b[0] or a[3] - a[1] != b[3] - b[1]:
            sys.exit("the table changed its size in a pan")
        if abs(mx - dx) > tol or abs(my - dy) > tol:
            sys.exit("wrong pan")
        # A red pixel of the corner before is background now, and red where the pan took it.
        if (mx, my) != (0, 0) and (after[b[1]][b[0]] == RED or after[a[1]][a[0]] != RED):
            sys.exit("the table's corner is not where the pan took it")
    else:
        want = [round(c + (e - c) * factor) for e, c in zip(b, (dx, dy, dx, dy))]
        print(f"  want {tuple(want)} for scale {factor} about ({dx}, {dy})")
        if any(abs(w - e) > 1 for w, e in zip(want, a)):
            sys.exit("wrong zoom")


if __name__ == "__main__":
    cmd, args = sys.argv[1], sys.argv[2:]
    geo = list(map(int, args[-4:]))  # ox oy cw ch
    shot = lambda p: read_xwd(p, *geo)
    if cmd == "same":  # XWD PNG WHAT geometry
        w, h, ref = read_png(args[1])
        if (w, h) != (geo[2], geo[3]):
            sys.exit(f"{args[1]} is {w}x{h}, the window's client area {geo[2]}x{geo[3]}")
        report = same_picture(shot(args[0]), ref, args[2])
        if report:
            sys.exit(report)
    elif cmd == "brackets":  # BEFORE AFTER MOVE geometry
        check_brackets(shot(args[0]), shot(args[1]), args[2], geo[2], geo[3])
    elif cmd == "menu":  # XWD geometry
        check_menu(shot(args[0]), geo[2], geo[3])
    elif cmd == "moved":  # BEFORE AFTER DX DY TOL FACTOR geometry
        check_moved(shot(args[0]), shot(args[1]), int(args[2]), int(args[3]), int(args[4]),
                    float(args[5]))
    elif cmd == "pixels":  # PNG XWD X,Y... geometry: chosen pixels, printed side by side
        w, h, own = read_png(args[0])
        rows = shot(args[1])
        for xy in args[2:-4]:
            x, y = map(int, xy.split(","))
            print(f"  ({x}, {y}): own {rgb(own[y][x])}, X server {rgb(rows[y][x])}")
    else:
        sys.exit(f"unknown command {cmd}")
EOF

# --- the same session headless: the pictures the X server must show --------------------------
# 1280x1024 is the X screen, which the window fills (checked below).
ref_keys='{shot '$tmp'/ref-select.png}{Right}{shot '$tmp'/ref-right.png}'
ref_keys+='{Down}{shot '$tmp'/ref-down.png}{Left}{shot '$tmp'/ref-left.png}'
ref_keys+='\r{shot '$tmp'/ref-menu.png}{Right}{shot '$tmp'/ref-pan-right.png}'
ref_keys+='{Down}{shot '$tmp'/ref-pan-down.png}{wheel 1}{shot '$tmp'/ref-zoom-out.png}'
ref_keys+='{wheel -1}{shot '$tmp'/ref-zoom-in.png}\e'
(cd "$run" && exec timeout $((step_timeout * 3)) "$prog" --size 1280x1024 --keys "$ref_keys") \
  >"$tmp/ref.out" 2>"$tmp/ref.err" || fail "the headless session failed with status $?"
for f in select right down left menu pan-right pan-down zoom-out zoom-in; do
  [[ -s $tmp/ref-$f.png ]] || fail "the headless session wrote no ref-$f.png"
done
[[ $(ls "$run/DRAW") == $'PART.UGF\nPENS.UGF\nPLAN.UGF' ]] ||
  fail "the headless session left files in the drawing folder: $(ls "$run/DRAW")"

x11_xvfb

# --- the program, without a drawing ----------------------------------------------------------
x11_start "$run" --screenshot "$tmp/own.png"
x11_window
x11_want_maximised
geometry=("$ox" "$oy" "$cw" "$ch")
x11_focus

# shot NAME: once the program has shown no new frame for 0.3 s, dumps the X server's screen
# into NAME.xwd and wants it to equal ref-NAME.png. A replay that pauses longer than that
# under load gives a picture that is not the reference yet: then it waits again, until the
# time limit.
shot() {
  local report end=$((SECONDS + step_timeout))
  while :; do
    x11_still "$1" "$end"
    xwd -root -silent >"$tmp/$1.xwd" || fail "xwd failed"
    report=$(python3 "$tmp/xhelp.py" same "$tmp/$1.xwd" "$tmp/ref-$1.png" "the headless picture" \
      "${geometry[@]}" 2>&1) && break
    ((SECONDS < end)) || fail "$1: the X server's picture is not the headless one:"$'\n'"$report"
    echo "  $1: not the headless picture yet; waiting again"
  done
  echo "ok: $1: the X server shows the headless picture"
}

# check WHAT COMMAND ARGS...: one of the measurements in xhelp.py on the X screenshots.
check() {
  local what=$1
  shift
  python3 "$tmp/xhelp.py" "$@" "${geometry[@]}" || fail "$what"
  echo "ok: $what"
}

keys='^(queued|read) '

# The selector in the folder from TEK.DAT: PART, PENS in the first row, PLAN in the second.
shot select
xdotool key Right
await "Right in the selector" "$keys" "queued 0" "queued 77" "read 0" "read 77"
shot right
check "brackets from PART to PENS" brackets "$tmp/select.xwd" "$tmp/right.xwd" right
xdotool key Down
await "Down in the selector" "$keys" "queued 0" "queued 80" "read 0" "read 80"
shot down
check "brackets from PENS to the empty cell below" brackets "$tmp/right.xwd" "$tmp/down.xwd" down
xdotool key Left
await "Left in the selector" "$keys" "queued 0" "queued 75" "read 0" "read 75"
shot left
check "brackets from the empty cell to PLAN" brackets "$tmp/down.xwd" "$tmp/left.xwd" left

xdotool key Return
await "Enter picks PLAN" "$keys" "queued 13" "read 13"
shot menu
check "PLAN drawn above the main menu" menu "$tmp/menu.xwd"

# The pan step is a quarter of the drawing area: 1280 / 4 across, 880 / 4 down (the four
# text rows take 144 of the 1024 rows).
xdotool key Right
await "Right pans" "$keys" "queued 0" "queued 77" "read 0" "read 77"
shot pan-right
check "the picture moved right by a quarter" moved "$tmp/menu.xwd" "$tmp/pan-right.xwd" 320 0 1 1
xdotool key Down
await "Down pans" "$keys" "queued 0" "queued 80" "read 0" "read 80"
shot pan-down
check "the picture moved down by a quarter" moved "$tmp/pan-right.xwd" "$tmp/pan-down.xwd" 0 220 1 1

# The wheel over the drawing: away from the user zooms out by 1.5 about the drawing area's
# centre, towards the user zooms back in.
xdotool mousemove --window "$win" 640 440
await_match "the pointer over the drawing" '^mouse 640 440 0$'
xdotool click 4
await "wheel away from the user" "$keys" "queued 0" "queued 81" "read 0" "read 81"
shot zoom-out
check "zoomed out by 1.5" moved "$tmp/pan-down.xwd" "$tmp/zoom-out.xwd" 640 440 1 0.6666667
xdotool click 5
await "wheel towards the user" "$keys" "queued 0" "queued 73" "read 0" "read 73"
shot zoom-in
check "zoomed back in" moved "$tmp/pan-down.xwd" "$tmp/zoom-in.xwd" 0 0 0 1

xdotool key Escape
await "Esc" "$keys" "queued 27" "read 27"
x11_exit0 Esc

x11_key_log "$keys" \
  "queued 0" "queued 77" "read 0" "read 77" "queued 0" "queued 80" "read 0" "read 80" \
  "queued 0" "queued 75" "read 0" "read 75" "queued 13" "read 13" \
  "queued 0" "queued 77" "read 0" "read 77" "queued 0" "queued 80" "read 0" "read 80" \
  "queued 0" "queued 81" "read 0" "read 81" "queued 0" "queued 73" "read 0" "read 73" \
  "queued 27" "read 27"

# The program's own screenshot against the X server's last picture: a few telling pixels
# (the table's corners, the bore-free middle, the menu title and a panel frame), then all.
[[ -s $tmp/own.png ]] || fail "no --screenshot file after Esc"
python3 "$tmp/xhelp.py" pixels "$tmp/own.png" "$tmp/zoom-in.xwd" \
  430,342 695,501 431,343 640,440 300,900 5,1020 "${geometry[@]}" || fail "cannot read the pictures"
python3 "$tmp/xhelp.py" same "$tmp/zoom-in.xwd" "$tmp/own.png" "the program's screenshot" \
  "${geometry[@]}" || fail "the X server's last picture differs from the program's screenshot"
echo "ok: the X server's last picture is the program's screenshot"
echo "PASS"
