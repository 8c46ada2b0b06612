#!/usr/bin/env bash
# The demo under valgrind memcheck: start-up, <seconds> of frames once the
# window is up, then Escape, shutdown and exit.
#   valgrind_show.sh <build folder> <seconds>
# Fails on any memcheck error (invalid access, uninitialised value,
# definitely lost block) not suppressed in valgrind.supp, which holds only
# the driver's and system libraries' own, and unless the demo exits 0.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=$2
log="$build/valgrind-show.log"
export SDL_AUDIODRIVER=dummy
status=0
# Exit status 3 marks memcheck errors; --child-silent-after-fork mutes the
# helper process that SDL forks at start-up.
"$here/show_under.sh" "$seconds" valgrind --tool=memcheck --error-exitcode=3 --child-silent-after-fork=yes \
  --keep-debuginfo=yes --num-callers=40 --leak-check=full --errors-for-leak-kinds=definite \
  --suppressions="$here/valgrind.supp" --log-file="$log" "$build/tumbo" -w || status=$?
summary=$(grep 'ERROR SUMMARY' "$log" | tail -n 1)
echo "${summary#==*== }"
if [ "$status" != 0 ]; then
  cat "$log"
  echo "FAIL: valgrind run: exit status $status (log: $log)"
  exit 1
fi
echo "PASS: valgrind memcheck, start-up and $seconds s of frames, 0 errors"
