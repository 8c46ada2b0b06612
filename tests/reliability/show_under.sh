#!/usr/bin/env bash
# Runs the demo (or the demo under a checking tool) on a private X display
# with a window manager (tests/with_private_x.sh), lets the show run, then
# quits it with Escape.
#   show_under.sh <seconds> <command...>
# <command> is the demo itself, or a tool followed by the demo: it must open
# the window titled "Tumbo by Dax" in the process it starts (valgrind
# does). Fails unless the window appears within 120 s, the process lives
# through <seconds>, and it exits with status 0 within 120 s of the Escape.
# SDL_AUDIODRIVER defaults to dummy.
set -u
# Runs itself again on a private display; the marker argument says it is there.
if [ "${1:-}" != --on-private-x ]; then
  exec "$(dirname "$0")/../with_private_x.sh" "$0" --on-private-x "$@"
fi
shift
seconds=$1
shift
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
title="Tumbo by Dax"

"$@" &
pid=$!
fail() { echo "FAIL: $*"; kill -9 "$pid" 2>/dev/null; exit 1; }
wid=""
for _ in $(seq 1 1200); do  # 120 s: start-up under valgrind is slow
  wid=$(xdotool search --all --pid "$pid" --name "^${title}\$" 2>/dev/null | head -n 1)
  [ -n "$wid" ] && break
  kill -0 "$pid" 2>/dev/null || fail "exited before its window appeared"
  sleep 0.1
done
[ -n "$wid" ] || fail "no window after 120 s"
begin=$(date +%s)
sleep "$seconds"
kill -0 "$pid" 2>/dev/null || fail "died during the show"
xdotool key --window "$wid" Escape 2>/dev/null
for _ in $(seq 1 1200); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "still running 120 s after Escape"
wait "$pid"
status=$?
echo "show ran $(( $(date +%s) - begin )) s from its window to its exit, status $status"
exit "$status"
