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
command -v compare >/dev/null 2>&1 || skip "ImageMagick's compare is not installed (tools/deps.sh installs it)"
x11_tmp
step_timeout=30  # a replay of this drawing takes about a second

# Four spirals of 30,000 points in pens 4..7: each polyline spills into the scratch files,
# which makes every replay slow enough to be caught in the middle.
mkdir -p "$tmp/ref" "$tmp/run" || fail "mkdir"
# In the C locale: a decimal point, never a comma, whatever the locale of the caller.
LC_ALL=C awk 'BEGIN {
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

# picture WHAT REF SIZE: once the picture has settled, the client area on the X server is REF.
# A loaded machine can hold a replay up for longer than the settling pause, so a picture that
# differs is looked at again until the step time is up: only one that stays wrong fails.
picture() {
  local end=$((SECONDS + step_timeout))
  while :; do
    x11_still "$1" "$end"
    xwd -root -silent >"$tmp/$1.xwd" || fail "xwd failed"
    if compare -metric AE "xwd:$tmp/$1.xwd[$3+$ox+$oy]" "$2" null: 2>"$tmp/$1.diff"; then
      echo "ok: $1: the undisturbed picture"
      return
    fi
    ((SECONDS < end)) || fail "$1: $(cat "$tmp/$1.diff") pixels differ from the undisturbed picture"
    sleep 0.5
  done
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
picture after-export "$tmp/ref-export.png" 1000x800

xdotool key Next
await_match "PgDn read" '^read 81$'
resize_during redraw 1100 850
picture after-redraw "$tmp/ref-redraw.png" 1100x850

xdotool key Escape
x11_exit0 Esc
echo "PASS"
