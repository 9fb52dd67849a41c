#!/usr/bin/env bash
# The graphic cursor in the SDL window under Xvfb, driven with xdotool: the key '6' starts it
# over samples/PART.UGF; a mouse motion moves the cross-hair (and nothing else), the wheel
# zooms (the picture is redrawn at another scale), a right click ends the loop, and Esc then
# reaches the program's own key reader, which ends the run with status 0.
# Usage: cursor_x11_test.sh UGFVIEW
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
  for f in prog.err xvfb.err; do
    [[ -s $tmp/$f ]] && { echo "--- $f:"; tail -n 20 "$tmp/$f"; }
  done
  exit 1
}

drawing=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/samples/PART.UGF
[[ -r $drawing ]] || { echo "FAIL: no sample drawing $drawing"; exit 1; }

# Differences between two X screenshots of the drawing area: rows and columns that a
# dotted cross-hair line crosses (many changed pixels) and the changed pixels elsewhere.
cat >"$tmp/xdiff.py" <<'EOF'
import struct
import sys


def load(path):
    data = open(path, "rb").read()
    hdr = struct.unpack(">25I", data[:100])
    header_size, fmt, width, height, bpp, bpl, ncolors = (hdr[0], hdr[2], hdr[4], hdr[5],
                                                          hdr[11], hdr[12], hdr[19])
    if fmt != 2 or bpp not in (24, 32):
        sys.exit(f"{path}: format {fmt}, {bpp} bits per pixel")
    base = header_size + 12 * ncolors
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

# --- the program ---------------------------------------------------------------------------
(cd "$tmp" && UGFVIEW_KEYLOG=$log SDL_VIDEODRIVER=x11 exec "$prog" "$drawing") \
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
timeout "$step_timeout" xdotool windowfocus --sync "$win" || fail "cannot focus window $win"

# settle NAME: waits until the program has shown no new frame for 0.3 s (the picture is
# complete, not a replay in progress), then dumps the X server's screen into NAME.xwd.
settle() {
  local frames now end=$((SECONDS + step_timeout)) quiet=0
  frames=$(grep -c '^frame ' "$log")
  while ((quiet < 15)); do
    sleep 0.02
    now=$(grep -c '^frame ' "$log")
    if [[ $now != "$frames" ]]; then
      frames=$now
      quiet=0
    else
      ((quiet++))
    fi
    kill -0 "$prog_pid" 2>/dev/null || fail "$1: the program ended"
    ((SECONDS < end)) || fail "$1: the picture did not settle within $step_timeout s"
  done
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
end=$((SECONDS + step_timeout))
while kill -0 "$prog_pid" 2>/dev/null; do
  ((SECONDS < end)) || fail "the program still runs $step_timeout s after Esc: the cursor did not end"
  sleep 0.02
done
wait "$prog_pid"
status=$?
prog_pid=
((status == 0)) || fail "exit status $status after Esc, want 0"
echo "ok: exit status 0"

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
