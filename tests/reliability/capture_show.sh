#!/usr/bin/env bash
# The whole show captured as PNG frames by a sanitizer build of the capture
# tool, at a low size and frame rate, so that every scene runs under ASan
# and UBSan.
#   capture_show.sh <build folder> <fps> <WxH>
# Fails unless the tool exits 0 with no sanitizer report and leaves one
# frame for every 1/fps s of the song's 140 s.
set -eu
build=$1
fps=$2
size=$3
dir="$build/capture-show"
rm -rf "$dir" && mkdir -p "$dir"
log="$build/capture-show.log"
status=0
"$build/tumbo-capture" --frames "$dir" --fps "$fps" --size "$size" >"$log" 2>&1 || status=$?
frames=$(find "$dir" -name '*.png' | wc -l)
least=$((140 * fps))  # the song runs 140.2 s
if [ "$status" != 0 ] || grep -q 'Sanitizer\|runtime error' "$log" || [ "$frames" -lt "$least" ]; then
  cat "$log"
  echo "FAIL: capture under sanitizers: exit status $status, $frames frames (at least $least expected)"
  exit 1
fi
echo "PASS: whole show captured under ASan and UBSan, $frames frames of $size"
