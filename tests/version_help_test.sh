#!/bin/sh
# version_help_test.sh <tumbo> <tumbo-capture> <version>
# --version and --help of both programs print on stdout and exit 0 with
# nothing on stderr, before any device is opened: here there is no display
# and the audio driver named cannot exist, either of which would end the
# demo with status 1 or 2.
set -u
tumbo=$1
capture=$2
version=$3
fail() { echo "FAIL: $*"; exit 1; }
err=$(mktemp)
trap 'rm -f "$err"' EXIT
# run <command...>: sets `out` and `status`; stderr must stay empty.
run() {
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=no_such_driver "$@" 2>"$err")
  status=$?
  [ "$status" = 0 ] || fail "$* exited $status: $(cat "$err")"
  [ ! -s "$err" ] || fail "$* wrote on stderr: $(cat "$err")"
}
run "$tumbo" --version
[ "$out" = "tumbo $version" ] || fail "tumbo --version printed '$out'"
# Among other arguments, even where the size would be read, it still wins.
run "$tumbo" -w 800 --version
[ "$out" = "tumbo $version" ] || fail "tumbo -w 800 --version printed '$out'"
run "$tumbo" --help
case "$out" in "usage: tumbo [-w] [-a] [WIDTH HEIGHT]"*--version*"exit status"*) ;; *) fail "tumbo --help printed: $out" ;; esac
run "$capture" --version
[ "$out" = "tumbo-capture $version" ] || fail "tumbo-capture --version printed '$out'"
run "$capture" --help
case "$out" in "usage: tumbo-capture"*--version*) ;; *) fail "tumbo-capture --help printed: $out" ;; esac
echo "PASS: version $version and help, without devices"
