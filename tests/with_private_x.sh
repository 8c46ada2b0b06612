#!/usr/bin/env bash
# Runs a command on a private X display with a window manager:
#   with_private_x.sh <command...>
# A new Xvfb server (1280x1024x24, a free display number, through xvfb-run),
# so that tests can run in parallel, and openbox on it, so that fullscreen
# and size requests are honoured as on a desktop. Ends with the command's
# exit status. Used by the end-to-end tests and the reliability runs.
set -u
# Runs itself again under xvfb-run; the marker argument says it is there.
if [ "${1:-}" != --in-xvfb ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --in-xvfb "$@"
fi
shift
# The window manager must be up before a window is made, or fullscreen and
# size requests go unmanaged. On a busy machine it can take a while, and now
# and then it does not come up at all; it is then started again.
wm=""
trap '[ -n "$wm" ] && kill $wm 2>/dev/null' EXIT
wm_log=$(mktemp)
wm_up=""
for attempt in 1 2 3; do
  openbox --sm-disable >"$wm_log" 2>&1 &
  wm=$!
  for _ in $(seq 1 100); do  # 10 s
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && { wm_up=1; break; }
    kill -0 "$wm" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$wm_up" ] && break
  kill "$wm" 2>/dev/null; wait "$wm" 2>/dev/null
done
[ -n "$wm_up" ] || { echo "FAIL: the window manager did not start ($attempt tries): $(cat "$wm_log")"; exit 1; }
rm -f "$wm_log"
"$@"
