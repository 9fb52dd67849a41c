#!/usr/bin/env bash
# The window resized while the drawing is being replayed, in the SDL window under Xvfb: the
# repaint waits until the replay is done. An export resized in the middle writes the bytes of
# an undisturbed one, and the picture after the export and after a resize in the middle of a
# redraw is the undisturbed picture at the new size (headless runs give both references).
# Usage: repaint_x11_test.sh UGFVIEW
# Exit 0 pass, 1 fail, 77 skip (no Xvfb or xdotool; UGFVIEW_REQUIRE_X=1 turns a skip into a fail).
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=x11_lib.sh
source "$(dirname "$0")/x11_lib.sh"
x11_args "$@"
x11_tools
x11_tmp
step_timeout=30  # a replay of this drawing takes about a second

# Four spirals of 30,000 points in pens 4..7: each polyline spills into the scratch files,
# which makes every replay slow enough to be caught in the middle.
mkdir -p "$tmp/ref" "$tmp/run" || fail "mkdir"
awk 'BEGIN {
  print " X   Y   PenNo (0-continue,-1-stop)"
  for (k = 0; k < 4; k++)
    for (i = 0; i < 30000; i++) {
      a = i * 0.0083776; r = 20 + k * 30 + i * 25.0 / 30000
      printf "%.2f %.2f %d\r\n", r * cos(a), r * sin(a), i == 0 ? 4 + k : 0
    }
  print " 0 0 -1"
}' >"$tmp/SPIRALS.UGF" || fail "cannot write the drawing"

# The references: the export and the picture after it, then the picture after PgDn, each
# with the resize after the replay.
(cd "$tmp/ref" && exec "$prog" --size 1280x1024 --keys '2OUT\r\r\r\r{resize 1000 800}' \
  --screenshot "$tmp/ref-export.png" ../SPIRALS.UGF) >"$tmp/ref.out" 2>"$tmp/ref.err" ||
  fail "the headless export failed"
(cd "$tmp/ref" && exec "$prog" --size 1280x1024 --keys '{PgDn}{resize 1100 850}' \
  --screenshot "$tmp/ref-redraw.png" ../SPIRALS.UGF) >>"$tmp/ref.out" 2>>"$tmp/ref.err" ||
  fail "the headless redraw failed"
[[ -s $tmp/ref/OUT.UGF ]] || fail "the headless run wrote no OUT.UGF"

x11_xvfb
x11_start "$tmp/run" ../SPIRALS.UGF
x11_window
x11_want_maximised
x11_focus
x11_image_module
cat >"$tmp/same.py" <<'EOF'
import sys

from x11img import read_png, read_xwd

xwd, png, ox, oy = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
w, h, rows = read_png(png)
data, hd, base = read_xwd(xwd)
step = hd["bpp"] // 8  # Xvfb may give 3 or 4 bytes a pixel
if step not in (3, 4) or hd["byte_order"] != 0 or hd["rmask"] != 0xFF0000 or hd["bmask"] != 0xFF:
    sys.exit(f"{xwd}: not a dump of little-endian RGB pixels")
bad = 0
for y in range(h):
    at = base + (oy + y) * hd["bpl"] + ox * step
    line, want = data[at:at + step * w], rows[y]
    bad += sum(line[step * x:step * x + 3] != want[3 * x:3 * x + 3][::-1] for x in range(w))
if bad:
    sys.exit(f"{bad} pixels differ from {png}")
EOF

# resize_during WHAT W H: stops the program in the middle of a replay, asks for a new window
# size and lets it go on; the size change reaches it at its next key test.
resize_during() {
  kill -STOP "$prog_pid"
  if [[ $1 == export && -e $tmp/run/OUT.UGF ]]; then
    kill -CONT "$prog_pid"
    fail "the export ended before the resize"
  fi
  timeout "$step_timeout" xdotool windowsize "$win" "$2" "$3" || fail "$1: xdotool windowsize"
  kill -CONT "$prog_pid"
  await_match "$1: size $2 x $3" "^size $2 $3\$"
}

# picture WHAT REF: once the picture has settled, the X server shows REF in the client area.
picture() {
  x11_still "$1" $((SECONDS + step_timeout))
  xwd -root -silent >"$tmp/$1.xwd" || fail "xwd failed"
  python3 "$tmp/same.py" "$tmp/$1.xwd" "$2" "$ox" "$oy" || fail "$1: not the undisturbed picture"
  echo "ok: $1: the undisturbed picture"
}

# Menu item 2, the name, then Enter for the variant, the colours and the offset: the export
# starts with the last Enter and opens its temporary file first. Typed once the first picture
# is complete, as the headless run has it.
x11_still start $((SECONDS + step_timeout))
xdotool type --delay 30 2OUT
xdotool key Return Return Return Return
end=$((SECONDS + step_timeout))
until compgen -G "$tmp/run/.OUT.UGF.*" >/dev/null; do
  ((SECONDS < end)) || fail "the export did not start"
  kill -0 "$prog_pid" 2>/dev/null || fail "the program ended"
  sleep 0.01
done
resize_during export 1000 800
until [[ -e $tmp/run/OUT.UGF ]]; do
  ((SECONDS < end)) || fail "the export did not end"
  sleep 0.05
done
cmp "$tmp/ref/OUT.UGF" "$tmp/run/OUT.UGF" || fail "the export differs from the undisturbed one"
echo "ok: the export is the undisturbed one, byte for byte"
picture after-export "$tmp/ref-export.png"

xdotool key Next
await_match "PgDn read" '^read 81$'
resize_during redraw 1100 850
picture after-redraw "$tmp/ref-redraw.png"

xdotool key Escape
x11_exit0 Esc
echo "PASS"
