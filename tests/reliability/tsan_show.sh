#!/usr/bin/env bash
# The demo built with ThreadSanitizer, run for <seconds> of the show on a
# private X display with dummy audio, then quit with Escape.
#   tsan_show.sh <tsan build folder> <seconds>
# Fails on any ThreadSanitizer report not suppressed in tsan.supp (driver
# internals only), and unless the demo exits 0.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=$2
log="$build/tsan-show.log"
# Not sanitized itself: it only pads the driver's blocks (see pad_heap.c).
cc -O2 -shared -fPIC -o "$build/libpad_heap.so" "$here/pad_heap.c" -ldl
export SDL_AUDIODRIVER=dummy
export TSAN_OPTIONS="suppressions=$here/tsan.supp exitcode=66 second_deadlock_stack=1 history_size=4"
status=0
"$here/show_under.sh" "$seconds" env LD_PRELOAD="$build/libpad_heap.so" "$build/tumbo" -w >"$log" 2>&1 || status=$?
reports=$(grep -c '^WARNING: ThreadSanitizer\|^==[0-9]*==ERROR: ThreadSanitizer' "$log" || true)
tail -n 1 "$log"
if [ "$status" != 0 ] || [ "$reports" != 0 ]; then
  cat "$log"
  echo "FAIL: ThreadSanitizer run: exit status $status, $reports reports (log: $log)"
  exit 1
fi
echo "PASS: ThreadSanitizer, $seconds s of the show, 0 reports"
