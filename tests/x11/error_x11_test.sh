#!/usr/bin/env bash
# A run-time error in the SDL window under Xvfb: a bad drawing picked in the file selector
# shows the report in the message rows (also after a resize) until a key, and the program
# then ends with the report's status. The picture on the X server is the program's own
# screenshot at its end, and its first two rows hold text.
# Usage: error_x11_test.sh UGFVIEW
# Exit 0 pass, 1 fail, 77 skip (no Xvfb or xdotool; UGFVIEW_REQUIRE_X=1 turns a skip into a fail).
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=x11_lib.sh
source "$(dirname "$0")/x11_lib.sh"
x11_args "$@"
x11_tools
command -v compare >/dev/null 2>&1 || skip "ImageMagick's compare is not installed (tools/deps.sh installs it)"
x11_tmp
mkdir -p "$tmp/run" || fail "mkdir"
printf ' X   Y   PenNo\r\n1 2 3\r\n4 x 0\r\n' >"$tmp/run/BAD.UGF"

x11_xvfb
x11_start "$tmp/run" --screenshot "$tmp/end.png"
x11_window
x11_focus
xdotool key Return
await_match "report row 0" '^text 0  Runtime error 106 at 0x[0-9A-F]+$'
await_match "report row 1" "^text 1  ugfview: BAD.UGF: line 3: bad number 'x'\$"
timeout "$step_timeout" xdotool windowsize "$win" 800 600 || fail "xdotool windowsize"
await_match "size 800 x 600" '^size 800 600$'
x11_still "after the resize" $((SECONDS + step_timeout))
xwd -root -silent >"$tmp/shown.xwd" || fail "xwd failed"
kill -0 "$prog_pid" 2>/dev/null || fail "the program ended before a key"

xdotool key space
end=$((SECONDS + step_timeout))
while kill -0 "$prog_pid" 2>/dev/null; do
  ((SECONDS < end)) || fail "the program still runs after the key"
  sleep 0.02
done
wait "$prog_pid"
status=$?
prog_pid=
((status == 106)) || fail "exit status $status, want 106"
grep -q "^ugfview: BAD.UGF: line 3: bad number 'x'" "$tmp/prog.err" || fail "no report on stderr"
echo "ok: status 106, the report on stderr"

compare -metric AE "xwd:$tmp/shown.xwd[800x600+$ox+$oy]" "$tmp/end.png" null: 2>"$tmp/diff" ||
  fail "$(cat "$tmp/diff") pixels differ from the program's screenshot"
# At 600 pixels the text area is the last 80 rows, its rows 20 apart: text in rows 0 and 1.
rows=$(convert "$tmp/end.png" -crop 800x40+0+520 -threshold 1% -format '%[fx:int(mean*w*h)]' info:) ||
  fail "convert failed"
((rows > 300)) || fail "only $rows lit pixels in the report's rows"
echo "ok: the report in the window after the resize ($rows lit pixels)"
echo "PASS"
