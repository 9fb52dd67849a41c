#!/usr/bin/env bash
# Repeated start and Esc in the SDL window under Xvfb (no window manager): every run must end
# with status 0 and print nothing. An exit that races an X request still aimed at the destroyed
# window makes Xlib's default error handler print "X Error ... BadWindow" and exit with 1, only
# now and then, hence the many runs, with the server and the program sharing one CPU so that
# the server takes the program's two connections in turns rather than as the requests come.
# Also: the program maps one top-level window and keeps it (a window replaced after start
# leaves the id a test found pointing at nothing).
# Keys go through XTEST to the focused window (`xdotool key Escape`, no --window): with --window
# on the focused window xdotool presses by XTEST but releases by XSendEvent to the window, which
# fails with BadWindow once the program has quit on the press, and leaves Esc held down.
# Usage: exit_x11_test.sh UGFVIEW [RUNS]
# Exit 0 pass, 1 fail, 77 skip (no Xvfb or xdotool; UGFVIEW_REQUIRE_X=1 turns a skip into a fail).
set -uo pipefail

source "$(dirname "$0")/x11_lib.sh"
runs=${2:-30}
x11_args "${1-}"
x11_tools
command -v xev >/dev/null 2>&1 || skip "xev is not installed (tools/deps.sh installs x11-utils)"
x11_tmp
drawing=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/samples/PART.UGF

x11_xvfb
# One CPU for the server and the program (see above); without taskset the runs still count.
cpu=
if command -v taskset >/dev/null 2>&1; then
  cpu=$(taskset -c -p $$ | sed 's/.*: *//; s/[-,].*//')
  taskset -a -c -p "$cpu" "$xvfb_pid" >/dev/null || cpu=
fi

# Top-level windows mapped and destroyed on the screen, as the root window sees them.
xev -root -event substructure >"$tmp/root.log" 2>&1 &
xev_pid=$!
trap 'kill "$xev_pid" 2>/dev/null; x11_cleanup' EXIT
sleep 0.3
count() { grep -c "^$1" "$tmp/root.log"; }

for ((run = 1; run <= runs; run++)); do
  echo "--- run $run of $runs"
  : >"$log"
  maps_before=$(count MapNotify)
  destroys_before=$(count DestroyNotify)
  x11_start "$tmp" "$drawing"
  [[ -n $cpu ]] && taskset -a -c -p "$cpu" "$prog_pid" >/dev/null
  x11_window
  x11_focus
  # Esc straight after the first frame, after pointer motion, or after keys still being read.
  case $((run % 3)) in
    1)
      for ((j = 1; j <= 20; j++)); do
        xdotool mousemove --window "$win" $((j * 37)) $((j * 23)) || fail "run $run: mousemove"
      done
      ;;
    2) xdotool key Right Left || fail "run $run: xdotool key" ;;
  esac
  xdotool key Escape || fail "run $run: xdotool key Escape"
  x11_exit0 Esc "run $run"
  [[ -s $tmp/prog.err ]] && fail "run $run: the program printed on exit"

  end=$((SECONDS + step_timeout))
  until (($(count DestroyNotify) - destroys_before >= $(count MapNotify) - maps_before)); do
    ((SECONDS < end)) || fail "run $run: the program's windows were not all destroyed"
    sleep 0.02
  done
  mapped=$(($(count MapNotify) - maps_before))
  ((mapped == 1)) || fail "run $run: $mapped top-level windows mapped, want 1"

  # A key left down would repeat into the next run.
  keys=$(python3 -c '
import ctypes
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
d = x.XOpenDisplay(None)
b = (ctypes.c_char * 32)()
x.XQueryKeymap(ctypes.c_void_p(d), b)
print(" ".join(str(i * 8 + j) for i in range(32) for j in range(8) if b[i][0] & (1 << j)))')
  [[ -z $keys ]] || fail "run $run: keycodes still down after the run: $keys"
done
echo "PASS"
