#!/bin/sh
# install_test.sh <cmake> <build folder>
# `cmake --install` into a scratch prefix puts exactly tumbo, the tumbow link
# to it and tumbo-capture in bin/, and they run from there.
set -eu
cmake=$1
prefix=$2/install-test
rm -rf "$prefix"
"$cmake" --install "$2" --prefix "$prefix" >/dev/null
cd "$prefix/bin"
listed=$(LC_ALL=C ls | tr '\n' ' ')
[ "$listed" = "tumbo tumbo-capture tumbow " ] || { echo "FAIL: bin/ holds: $listed"; exit 1; }
[ "$(readlink tumbow)" = tumbo ] || { echo "FAIL: tumbow is not a link to tumbo"; exit 1; }
./tumbo-capture --help >/dev/null || { echo "FAIL: installed tumbo-capture --help"; exit 1; }
# Without a display the installed demo gets as far as its window: exit 2.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy ./tumbow 2>/dev/null || status=$?
[ "$status" = 2 ] || { echo "FAIL: installed tumbow exited $status without a display, not 2"; exit 1; }
echo "installed: $listed"
