#!/bin/bash
# The Win32 window under wine and Xvfb, driven by xdotool: maximised with its title, the client
# area equal to a headless screenshot of its size, arrows, PgUp, a Cyrillic letter as its Latin
# command, clicks, the wheel, and the close box answered No, then Yes with status 0.
# Usage: window_test.sh UGFVIEW.EXE LINUX_UGFVIEW (under tools/windows.sh test)
set -u
exe=$(readlink -f "$1")
lin=$(readlink -f "$2")
source "$(dirname "$0")/../x11/x11_lib.sh"
[[ -n ${WINEPREFIX:-} ]] || { echo "FAIL: WINEPREFIX is not set: run through tools/windows.sh test"; exit 1; }
x11_tools
command -v import >/dev/null || skip "imagemagick is not installed"
x11_tmp
step_timeout=20  # a wine process takes longer to come up
x11_xvfb
src=$(cd "$(dirname "$0")/../.." && pwd)
cp "$src/samples/PART.UGF" "$tmp/"

(cd "$tmp" && UGFVIEW_KEYLOG=$log exec timeout 120 wine "$exe" PART.UGF) >"$tmp/prog.out" 2>"$tmp/prog.err" &
prog_pid=$!
pos=0

# The window: found by its title, maximised over the screen (no window manager: wine draws
# its frame itself).
end=$((SECONDS + step_timeout))
until win=$(xdotool search --name '^САПР $' 2>/dev/null | head -n 1) && [[ -n $win ]]; do
  kill -0 "$prog_pid" 2>/dev/null || fail "the program ended before its window showed"
  ((SECONDS < end)) || fail "no window titled 'САПР ' within $step_timeout s"
  sleep 0.1
done
await_match "first frame" '^frame '
x11_still "first picture" $((SECONDS + step_timeout))
eval "$(xdotool getwindowgeometry --shell "$win")"
echo "window $win: ${WIDTH}x${HEIGHT} at ($X, $Y)"
((WIDTH >= 1270 && HEIGHT >= 960)) || fail "window not maximised: ${WIDTH}x${HEIGHT} at ($X, $Y)"

# The client origin from the program's own key log: the pointer moved to a screen point
# arrives at client coordinates.
x11_focus
pos=$(wc -l <"$log")  # after the pointer's first position
xdotool mousemove $((X + 400)) $((Y + 300))
await_match "pointer in the client area" '^mouse '
read -r cx cy _ < <(sed -n "${pos}p" "$log" | cut -d' ' -f2-)
ox=$((X + 400 - cx)) oy=$((Y + 300 - cy))
frame=$((ox - X))
cw=$((WIDTH - 2 * frame)) ch=$((Y + HEIGHT - frame - oy))
echo "client ${cw}x${ch} at ($ox, $oy)"

# shot NAME: the client area from the X screen.
shot() {
  import -window root -crop "${cw}x${ch}+${ox}+${oy}" +repage "$tmp/$1.png" || fail "import failed"
}
same() { [[ $(compare -metric AE "$1" "$2" null: 2>&1) == 0 ]]; }

xdotool mousemove 0 0  # off the client: the pointer shape is not in the picture
shot start
(cd "$tmp" && "$lin" --size "${cw}x${ch}" --keys '' --screenshot "$tmp/headless.png" PART.UGF) ||
  fail "the headless run failed"
same "$tmp/start.png" "$tmp/headless.png" || fail "the client area differs from the headless screenshot"
echo "ok: the client area equals the headless screenshot"

# Keys: Left pans, PgUp zooms, the Cyrillic и (CP1251 0xE8) is the command B, which fits the
# drawing again: the first picture.
xdotool key --window "$win" Left
await "Left" '^(queued|read) ' 'queued 0' 'queued 75' 'read 0' 'read 75'
xdotool key --window "$win" Prior
await "PgUp" '^(queued|read) ' 'queued 0' 'queued 73' 'read 0' 'read 73'
for try in 1 2 3; do  # xdotool's keymap change for a Cyrillic keysym may lose the key
  xdotool key --window "$win" Cyrillic_i
  end=$((SECONDS + 3))
  until grep -q '^queued 232$' <(tail -n +$((pos + 1)) "$log") || ((SECONDS >= end)); do sleep 0.05; done
  grep -q '^queued 232$' <(tail -n +$((pos + 1)) "$log") && break
done
await "и as B" '^(queued|read) ' 'queued 232' 'read 232'
x11_still "fitted again" $((SECONDS + step_timeout))
shot fitted
same "$tmp/fitted.png" "$tmp/start.png" || fail "и did not fit the drawing as B does"

# Mouse: a left click is a blank, a right click Enter; the wheel away from the user is PgDn.
xdotool mousemove $((ox + 50)) $((oy + 40)) click 1
await "left click" '^(mouse .* 1|queued 32)$' 'mouse 50 40 1' 'queued 32'
xdotool click 4
await "wheel" '^queued ' 'queued 0' 'queued 81'
xdotool click 3
await "right click" '^(mouse .* 2|queued 13)$' 'mouse 50 40 2' 'queued 13'
x11_still "after the mouse" $((SECONDS + step_timeout))

# The close box: the question, No keeps the program, Yes ends it with status 0. A click that
# only gives the window back its activation after the box is repeated.
close_box() {
  local try box end
  for try in 1 2 3; do
    x11_focus
    xdotool mousemove $((ox + 100)) $((oy + 100)) sleep 0.1 \
      mousemove $((X + WIDTH - frame - 8)) $((Y + (oy - Y) / 2)) sleep 0.1 click 1
    end=$((SECONDS + 3))
    while ((SECONDS < end)); do
      box=$(xdotool search --name '^Exit$' 2>/dev/null | head -n 1)
      [[ -n $box ]] && return
      sleep 0.1
    done
  done
  fail "no quit question after three clicks on the close box"
}
# question KEYS...: answers the box.
question() {
  local box
  box=$(xdotool search --name '^Exit$' 2>/dev/null | head -n 1)
  timeout "$step_timeout" xdotool windowfocus --sync "$box" || fail "cannot focus the question"
  xdotool key --window "$box" "$@" 2>/dev/null  # the box may be gone before the key is up
}
close_box
question Tab space
await "close box, No" '^close ' 'close no'
xdotool key --window "$win" Left
await "keys after No" '^queued ' 'queued 0' 'queued 75'
close_box
question Return
await "close box, Yes" '^close ' 'close yes'
x11_exit0 "Yes"
echo "PASS"
