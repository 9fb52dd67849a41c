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

samples=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/samples
for f in PART PLAN PENS; do
  [[ -r $samples/$f.UGF ]] || { echo "FAIL: no sample drawing $samples/$f.UGF"; exit 1; }
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/ugfview-x11.XXXXXX") || { echo "FAIL: mktemp"; exit 1; }
log=$tmp/keys.log
xvfb_pid=
prog_pid=

cleanup() {
  if [[ -n $prog_pid ]] && kill -0 "$prog_pid" 2>/dev/null; then
    kill "$prog_pid" 2>/dev/null
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
  for f in prog.err ref.err xvfb.err; do
    [[ -s $tmp/$f ]] && { echo "--- $f:"; tail -n 20 "$tmp/$f"; }
  done
  exit 1
}

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
cat >"$tmp/xhelp.py" <<'EOF'
import array
import struct
import sys
import zlib

RED = 0xFF0000  # the pen of PLAN's table, the only long red lines of the three drawings
WHITE = 0xFFFFFF  # text and selector brackets


def read_png(path):
    """8-bit RGB PNG, not interlaced: (width, height, rows of 0xRRGGBB)."""
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
    for y in range(h):
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
        rows.append([(row[i] << 16) | (row[i + 1] << 8) | row[i + 2] for i in range(0, stride, 3)])
        prior = row
    return w, h, rows


def read_xwd(path, ox, oy, cw, ch):
    """The client area of a TrueColor ZPixmap XWD dump of the root: rows of 0xRRGGBB."""
    data = open(path, "rb").read()
    hdr = struct.unpack(">25I", data[:100])
    (header_size, _, fmt, _, width, height, _, byte_order, _, _, _, bpp, bpl, vclass,
     rmask, gmask, bmask, _, _, ncolors) = hdr[:20]
    if fmt != 2 or bpp != 32 or vclass not in (4, 5):
        sys.exit(f"{path}: format {fmt}, {bpp} bits per pixel, visual class {vclass}")
    if ox < 0 or oy < 0 or ox + cw > width or oy + ch > height:
        sys.exit(f"{path}: client {cw}x{ch} at ({ox}, {oy}) is outside {width}x{height}")
    base = header_size + 12 * ncolors
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

# --- X server on a free display --------------------------------------------------------------
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

# --- the program, without a drawing ----------------------------------------------------------
(cd "$run" && UGFVIEW_KEYLOG=$log SDL_VIDEODRIVER=x11 exec "$prog" --screenshot "$tmp/own.png") \
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
  until line=$(awk -v p="$pos" -v re="$filter" 'NR > p && $0 ~ re { print NR; exit }' "$log" 2>/dev/null) &&
    [[ -n $line ]]; do
    kill -0 "$prog_pid" 2>/dev/null || fail "$what: the program ended"
    ((SECONDS < end)) || fail "$what: nothing within $step_timeout s"
    sleep 0.02
  done
  pos=$line
  echo "ok: $what"
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
[[ "$ox $oy $cw $ch" == "0 0 1280 1024" ]] ||
  fail "window not maximised: client ${cw}x${ch} at ($ox, $oy), screen 1280x1024"
geometry=("$ox" "$oy" "$cw" "$ch")
timeout "$step_timeout" xdotool windowfocus --sync "$win" || fail "cannot focus window $win"

# shot NAME: once the program has shown no new frame for 0.3 s, dumps the X server's screen
# into NAME.xwd and wants it to equal ref-NAME.png. A replay that pauses longer than that
# under load gives a picture that is not the reference yet: then it waits again, until the
# time limit.
shot() {
  local frames now quiet report end=$((SECONDS + step_timeout))
  while :; do
    frames=$(grep -c '^frame ' "$log") quiet=0
    while ((quiet < 15)); do
      sleep 0.02
      now=$(grep -c '^frame ' "$log")
      if [[ $now != "$frames" ]]; then
        frames=$now quiet=0
      else
        ((quiet++))
      fi
      kill -0 "$prog_pid" 2>/dev/null || fail "$1: the program ended"
      ((SECONDS < end)) || fail "$1: the picture did not settle within $step_timeout s"
    done
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
end=$((SECONDS + step_timeout))
while kill -0 "$prog_pid" 2>/dev/null; do
  ((SECONDS < end)) || fail "the program still runs $step_timeout s after Esc"
  sleep 0.02
done
wait "$prog_pid"
status=$?
prog_pid=
((status == 0)) || fail "exit status $status after Esc, want 0"
echo "ok: exit status 0"

want=$(printf '%s\n' \
  "queued 0" "queued 77" "read 0" "read 77" "queued 0" "queued 80" "read 0" "read 80" \
  "queued 0" "queued 75" "read 0" "read 75" "queued 13" "read 13" \
  "queued 0" "queued 77" "read 0" "read 77" "queued 0" "queued 80" "read 0" "read 80" \
  "queued 0" "queued 81" "read 0" "read 81" "queued 0" "queued 73" "read 0" "read 73" \
  "queued 27" "read 27")
got=$(grep -E "$keys" "$log")
[[ $got == "$want" ]] || fail "whole key log: wanted"$'\n'"$want"$'\n'"got"$'\n'"$got"
echo "ok: whole key log"

# The program's own screenshot against the X server's last picture: a few telling pixels
# (the table's corners, the bore-free middle, the menu title and a panel frame), then all.
[[ -s $tmp/own.png ]] || fail "no --screenshot file after Esc"
python3 "$tmp/xhelp.py" pixels "$tmp/own.png" "$tmp/zoom-in.xwd" \
  430,342 695,501 431,343 640,440 300,900 5,1020 "${geometry[@]}" || fail "cannot read the pictures"
python3 "$tmp/xhelp.py" same "$tmp/zoom-in.xwd" "$tmp/own.png" "the program's screenshot" \
  "${geometry[@]}" || fail "the X server's last picture differs from the program's screenshot"
echo "ok: the X server's last picture is the program's screenshot"
echo "PASS"
