#!/usr/bin/env bash
# The graphic cursor in the SDL window under Xvfb, driven with xdotool: the key '6' starts it
# over samples/PART.UGF; a mouse motion moves the cross-hair (and nothing else), the wheel
# zooms (the picture is redrawn at another scale), a right click ends the loop, and Esc then
# reaches the program's own key reader, which ends the run with status 0.
# Usage: cursor_x11_test.sh UGFVIEW
# Exit 0 pass, 1 fail, 77 skip (no Xvfb or xdotool; UGFVIEW_REQUIRE_X=1 turns a skip into a fail).
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=x11_lib.sh
source "$(dirname "$0")/x11_lib.sh"
x11_args "$@"
x11_tools
x11_tmp

drawing=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/samples/PART.UGF
[[ -r $drawing ]] || { echo "FAIL: no sample drawing $drawing"; exit 1; }

# Differences between two X screenshots of the drawing area: rows and columns that a
# dotted cross-hair line crosses (many changed pixels) and the changed pixels elsewhere.
x11_image_module
cat >"$tmp/xdiff.py" <<'EOF'
import sys

from x11img import read_xwd


def load(path):
    data, h, base = read_xwd(path)
    fmt, width, height, bpp, bpl = h["format"], h["width"], h["height"], h["bpp"], h["bpl"]
    if fmt != 2 or bpp not in (24, 32):
        sys.exit(f"{path}: format {fmt}, {bpp} bits per pixel")
    step = bpp // 8
    rows = [data[base + y * bpl:base + y * bpl + width * step] for y in range(height)]
    return width, height, step, rows


def main(a, b, ox, oy, cw, ch):
    wa, ha, step, ra = load(a)
    wb, hb, _, rb = load(b)
    if (wa, ha) != (wb, hb):
        sys.exit("screenshots of different sizes")
    char_height = max(ch // 50 - 2, 7)
    draw_height = ch - 8 * char_height  # above the four text rows
    per_row, per_col, changed = {}, {}, []
    for y in range(draw_height):
        row_a, row_b = ra[oy + y], rb[oy + y]
        lo, hi = ox * step, (ox + cw) * step
        if row_a[lo:hi] == row_b[lo:hi]:
            continue
        for x in range(cw):
            at = (ox + x) * step
            if row_a[at:at + step] != row_b[at:at + step]:
                per_row[y] = per_row.get(y, 0) + 1
                per_col[x] = per_col.get(x, 0) + 1
                changed.append((x, y))
    line_rows = sorted(y for y, n in per_row.items() if n >= 100)
    line_cols = sorted(x for x, n in per_col.items() if n >= 60)
    rest = sum(1 for x, y in changed if y not in line_rows and x not in line_cols)
    print(f"rows={','.join(map(str, line_rows))} cols={','.join(map(str, line_cols))} "
          f"rest={rest} changed={len(changed)}")


main(sys.argv[1], sys.argv[2], *map(int, sys.argv[3:7]))
EOF

x11_xvfb
x11_start "$tmp" "$drawing"
x11_window
x11_focus

# settle NAME: once the picture is complete, dumps the X server's screen into NAME.xwd.
settle() {
  x11_still "$1" $((SECONDS + step_timeout))
  xwd -root -silent >"$tmp/$1.xwd" || fail "xwd failed"
}

# diff A B: the line rows, line columns and other changed pixels between two dumps.
diff_shots() { python3 "$tmp/xdiff.py" "$tmp/$1.xwd" "$tmp/$2.xwd" "$ox" "$oy" "$cw" "$ch"; }
has() { [[ ,$1, == *",$2,"* ]]; }

keys='^(queued|read) '
settle picture
xdotool key 6
await "the cursor key" "$keys" "queued 54" "read 54"
await_match "a frame with the cross-hair" '^frame '
settle cursor
d=$(diff_shots picture cursor) || fail "cannot compare screenshots"
echo "  cross-hair drawn: $d"
[[ $d =~ rows=([0-9,]*)\ cols=([0-9,]*)\ rest=([0-9]+) ]] || fail "bad comparison: $d"
[[ -n ${BASH_REMATCH[1]} && -n ${BASH_REMATCH[2]} ]] || fail "no cross-hair lines appeared"
((BASH_REMATCH[3] <= 20)) || fail "more than the cross-hair changed when the cursor started"
echo "ok: the cursor is up"

# The pointer at client (300, 200) is viewport pixel (300, 200): client row 201, column 301.
xdotool mousemove --window "$win" 300 200
await_match "the motion" '^mouse 300 200 0$'
await_match "a frame after the motion" '^frame '
settle moved
d=$(diff_shots cursor moved) || fail "cannot compare screenshots"
echo "  motion: $d"
[[ $d =~ rows=([0-9,]*)\ cols=([0-9,]*)\ rest=([0-9]+) ]] || fail "bad comparison: $d"
has "${BASH_REMATCH[1]}" 201 || fail "no horizontal cross-hair line on row 201: $d"
has "${BASH_REMATCH[2]}" 301 || fail "no vertical cross-hair line on column 301: $d"
((BASH_REMATCH[3] <= 20)) || fail "the motion changed more than the cross-hair: $d"
echo "ok: the cross-hair follows the mouse"

xdotool click 4
await "wheel away from the user" "$keys" "queued 0" "queued 81" "read 0" "read 81"
await_match "a frame after the zoom" '^frame '
settle zoomed
d=$(diff_shots moved zoomed) || fail "cannot compare screenshots"
echo "  wheel: $d"
[[ $d =~ rest=([0-9]+) ]] || fail "bad comparison: $d"
((BASH_REMATCH[1] >= 300)) || fail "the wheel did not redraw the picture at another scale: $d"
echo "ok: the wheel zooms"

# The right button ends the cursor; the program then reads keys again, and Esc ends it.
xdotool click 3
await_match "the right press" '^mouse [0-9]+ [0-9]+ 2$'
settle ended
kill -0 "$prog_pid" 2>/dev/null || fail "the program ended on the right click"
xdotool key Escape
x11_exit0 Esc "the cursor did not end"

# The whole run's key traffic. The right press queues 13 and the cursor takes it once: either
# from the button state, removing the queued code, or, if a key test saw the press first, as
# the key it read.
got=$(grep -E '^(queued|read) ' "$log" | tr '\n' ' ')
want_a="queued 54 read 54 queued 0 queued 81 read 0 read 81 queued 13 queued 27 read 27 "
want_b="queued 54 read 54 queued 0 queued 81 read 0 read 81 queued 13 read 13 queued 27 read 27 "
[[ $got == "$want_a" || $got == "$want_b" ]] ||
  fail "whole key log: wanted"$'\n'"$want_a"$'\n'"got"$'\n'"$got"
echo "ok: whole key log"
echo "PASS"
