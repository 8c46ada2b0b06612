#!/usr/bin/env bash
# The capture tool built with ThreadSanitizer: a few seconds of the show as
# PNG frames and as a video, each frame handed from the drawing thread to
# the worker that writes it.
#   tsan_capture.sh <tsan build folder>
# Fails on any ThreadSanitizer report not suppressed in tsan.supp (driver
# internals only), and unless both captures exit 0.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$1
log="$build/tsan-capture.log"
dir="$build/tsan-capture"
rm -rf "$dir" && mkdir -p "$dir"
export TSAN_OPTIONS="suppressions=$here/tsan.supp exitcode=66 second_deadlock_stack=1 history_size=4"
status=0
{
  "$build/tumbo-capture" --frames "$dir/frames" --fps 10 --size 160x120 --to 3 &&
    "$build/tumbo-capture" --video "$dir/show.mp4" --fps 30 --size 160x120 --to 3
} >"$log" 2>&1 || status=$?
reports=$(grep -c '^WARNING: ThreadSanitizer\|^==[0-9]*==ERROR: ThreadSanitizer' "$log" || true)
if [ "$status" != 0 ] || [ "$reports" != 0 ] || [ ! -s "$dir/show.mp4" ]; then
  cat "$log"
  echo "FAIL: ThreadSanitizer capture: exit status $status, $reports reports (log: $log)"
  exit 1
fi
echo "PASS: ThreadSanitizer, frames and video of 3 s of the show, 0 reports"
