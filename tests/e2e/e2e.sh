#!/usr/bin/env bash
# End-to-end tests of the real binary in a real X window, driven with xdotool.
#   e2e.sh <case> <path to tumbo> <path to x_close_window>
# Every case runs on a private 1280x1024 Xvfb display with a window manager
# (tests/with_private_x.sh), so cases can run in parallel and fullscreen
# requests are honoured as on a desktop.
set -u
# Runs itself again on a private display; the marker argument says it is there.
if [ "${1:-}" != --on-private-x ]; then
  exec "$(dirname "$0")/../with_private_x.sh" "$0" --on-private-x "$@"
fi
shift
case_name=$1
tumbo=$2
close_tool=${3:-}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
title="Tumbo by Dax"
pid=""

fail() { echo "FAIL: $*"; [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; exit 1; }
# Stops a demo that a case leaves running.
stop() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; pid=""; }

# Starts the demo in the background and waits for its window.
start() {
  "$tumbo" "$@" &
  pid=$!
  wid=""
  for _ in $(seq 1 100); do
    wid=$(xdotool search --all --pid "$pid" --name "^${title}\$" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || fail "exited before its window appeared"
    sleep 0.1
  done
  [ -n "$wid" ] || fail "no window titled '$title'"
  # Input sent before the window manager has mapped the window goes to the
  # root window and is lost; under load that can take seconds.
  for _ in $(seq 1 100); do
    xwininfo -id "$wid" 2>/dev/null | grep -q 'Map State: IsViewable' && break
    sleep 0.1
  done
  sleep 0.5  # let the frame loop run
}

# Waits up to 10 s for the demo to end; sets `status`.
wait_exit() {
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "still running 10 s after $1"
  wait "$pid"
  status=$?
  pid=""
}

geometry() { xwininfo -id "$wid" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }

# Waits up to 15 s for the window to reach the size $1 (the window manager
# may take a while under load), then fails with $2.
expect_geometry() {
  for _ in $(seq 1 150); do
    [ "$(geometry)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "$2: geometry $(geometry), expected $1"
}

running() { kill -0 "$pid" 2>/dev/null || fail "demo died: $1"; }

# Checks that the raw audio $1 that SDL's disk driver wrote is the song of
# the WAV file $2, at least $3 bytes of it. While the device is still paused
# (start-up) the driver writes whole buffers of silence; the song begins at
# the first buffer boundary after them. The file's last 16384 bytes (one
# buffer) are left out: the audio thread runs on while the process exits,
# and exit flushes the file's stdio buffer without locking it, so the
# buffer being written then can be torn. Every buffer before it is whole.
same_audio_as_capture() {
  local raw=$1 wav=$2 least=$3 first_raw first_song offset size
  first_raw=$(cmp "$raw" /dev/zero 2>/dev/null | awk '{print $5}' | tr -d ,)
  first_song=$(tail -c +45 "$wav" | cmp - /dev/zero 2>/dev/null | awk '{print $5}' | tr -d ,)
  [ -n "$first_raw" ] || fail "the demo wrote only silence"
  offset=$((first_raw - first_song))
  [ $((offset % (4096 * 4))) = 0 ] || fail "the song does not start on a buffer boundary (offset $offset)"
  size=$(( $(stat -c %s "$raw") - offset - 4096 * 4 ))
  [ "$size" -ge "$least" ] || fail "only $size bytes of the song"
  song_bytes=$(( $(stat -c %s "$wav") - 44 ))
  [ "$size" -le "$song_bytes" ] || size=$song_bytes
  cmp -n "$size" <(tail -c +$((offset + 1)) "$raw") <(tail -c +45 "$wav") || fail "the demo's audio differs from the capture"
}

# Fails unless $1 is a 44.1 kHz 16-bit stereo PCM WAV holding exactly the
# song's 6,181,056 frames.
song_wav_header_ok() {
  local data=$((6181056 * 4)) expected
  le32() { printf '%02x%02x%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
  expected="52494646$(le32 $((data + 36)))57415645666d7420$(le32 16)0100""0200$(le32 44100)$(le32 176400)""04001000""64617461$(le32 $data)"
  [ "$(od -A n -t x1 -N 44 "$1" | tr -d ' \n')" = "$expected" ] || fail "unexpected WAV header in $1"
  [ "$(stat -c %s "$1")" = $((data + 44)) ] || fail "$1 is not 44 + $data bytes long"
}

case "$case_name" in
  window_is_640x480_and_escape_quits)
    start -w
    expect_geometry 640x480 "window"
    [ "$(xdotool getwindowname "$wid")" = "$title" ] || fail "title '$(xdotool getwindowname "$wid")'"
    xdotool key --window "$wid" Escape 2>/dev/null
    wait_exit Escape
    [ "$status" = 0 ] || fail "exit status $status"
    ;;
  size_from_last_two_arguments)
    start -w 800 600
    expect_geometry 800x600 "window"
    stop
    ;;
  windowed_name_starts_in_a_window)
    dir=$(mktemp -d)
    ln -s "$(readlink -f "$tumbo")" "$dir/tumbow"
    tumbo="$dir/tumbow"
    start
    sleep 1  # a fullscreen window would have been resized by now
    expect_geometry 640x480 "window"
    stop; rm -rf "$dir"
    ;;
  fullscreen_without_w)
    start
    expect_geometry 1280x1024 "window"
    stop
    ;;
  click_quits)
    start -w
    xdotool mousemove --window "$wid" 100 100 click 1
    wait_exit "a click"
    [ "$status" = 0 ] || fail "exit status $status"
    ;;
  window_close_quits)
    start -w
    "$close_tool" "$wid" || fail "could not send the close request"
    wait_exit "a close request"
    [ "$status" = 0 ] || fail "exit status $status"
    ;;
  f_toggles_fullscreen_and_back)
    start -w
    xdotool key --window "$wid" f
    sleep 1; running "after the first F"
    expect_geometry 1280x1024 "after F"
    xdotool key --window "$wid" F
    sleep 1; running "after the second F"
    expect_geometry 640x480 "after the second F"
    for _ in $(seq 1 10); do xdotool key --window "$wid" f; done
    sleep 1; running "after ten toggles"
    xdotool key --window "$wid" Escape 2>/dev/null
    wait_exit Escape
    [ "$status" = 0 ] || fail "exit status $status"
    ;;
  resize_storm)
    start -w
    for size in "1 1" "2 1" "1 2" "1024 600" "800 800" "3 700" "700 3" "640 480" "1 1000" "1279 1" \
                "333 250" "16 9" "9 16" "1280 1024" "50 50" "4 3" "3 4" "1000 1" "5 5" "640 480"; do
      xdotool windowsize "$wid" $size
      sleep 0.05
    done
    for i in $(seq 1 40); do xdotool windowsize "$wid" $((i * 31 % 1200 + 1)) $((i * 17 % 900 + 1)); done
    sleep 1; running "during the resize storm"
    xdotool key --window "$wid" Escape 2>/dev/null
    wait_exit Escape
    [ "$status" = 0 ] || fail "exit status $status"
    ;;
  missing_audio_driver_exits_1)
    err=$(SDL_AUDIODRIVER=no_such_driver "$tumbo" -w 2>&1 >/dev/null)
    status=$?
    [ "$status" = 1 ] || fail "exit status $status, expected 1"
    [ "$(printf '%s\n' "$err" | wc -l)" = 1 ] || fail "expected one line on stderr, got: $err"
    printf '%s' "$err" | grep -q "SDL_AUDIODRIVER=dummy" || fail "no hint in: $err"
    printf '%s' "$err" | grep -q "no_such_driver" || fail "SDL's reason missing from: $err"
    # A driver that exists with a device that does not: ALSA's own messages
    # are silenced, the demo's line stays.
    err=$(SDL_AUDIODRIVER=alsa AUDIODEV=tumbo_no_such_device "$tumbo" -w 2>&1 >/dev/null)
    status=$?
    [ "$status" = 1 ] || fail "ALSA: exit status $status, expected 1"
    [ "$(printf '%s\n' "$err" | wc -l)" = 1 ] || fail "ALSA: expected one line on stderr, got: $err"
    printf '%s' "$err" | grep -q "^tumbo: cannot open the audio device" || fail "ALSA: not the demo's line: $err"
    ;;
  no_display_exits_2)
    err=$(env -u DISPLAY -u WAYLAND_DISPLAY "$tumbo" -w 2>&1 >/dev/null)
    status=$?
    [ "$status" = 2 ] || fail "exit status $status, expected 2"
    [ "$(printf '%s\n' "$err" | wc -l)" = 1 ] || fail "expected one line on stderr, got: $err"
    ;;
  refused_size_exits_2)
    err=$("$tumbo" -w 100000 100000 2>&1 >/dev/null)
    status=$?
    [ "$status" = 2 ] || fail "exit status $status, expected 2"
    [ "$(printf '%s\n' "$err" | wc -l)" = 1 ] || fail "expected one line on stderr, got: $err"
    ;;
  disk_audio_matches_capture)
    # The demo's own audio, written by SDL's disk driver in real time, is
    # byte for byte the start of the song that tumbo-capture renders.
    dir=$(mktemp -d)
    "$(dirname "$tumbo")/tumbo-capture" --wav "$dir/song.wav" || fail "tumbo-capture failed"
    song_wav_header_ok "$dir/song.wav"
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/demo.raw" start -w
    sleep 3
    stop
    same_audio_as_capture "$dir/demo.raw" "$dir/song.wav" $((2 * 44100 * 4))
    rm -rf "$dir"
    ;;
  whole_song_from_disk_driver_matches_capture)
    # With no delay the disk driver runs the song as fast as it renders:
    # the demo plays all 73 bars, ends by itself, and every byte it wrote
    # up to the end of bar 72 is the capture's.
    dir=$(mktemp -d)
    "$(dirname "$tumbo")/tumbo-capture" --wav "$dir/song.wav" || fail "tumbo-capture failed"
    # Not through start(): the show may be over before a window search.
    SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=0 SDL_DISKAUDIOFILE="$dir/demo.raw" "$tumbo" -w &
    pid=$!
    for _ in $(seq 1 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && fail "still running 30 s after the start"
    wait "$pid"; status=$?; pid=""
    [ "$status" = 0 ] || fail "exit status $status"
    # The buffer that takes song_bar past 72 (the 1510th) may still be on
    # its way to the file when the program exits, and the last one written
    # may be torn; every buffer before them has been written whole.
    same_audio_as_capture "$dir/demo.raw" "$dir/song.wav" $((1508 * 4096 * 4))
    rm -rf "$dir"
    ;;
  song_ends_by_itself)
    # The whole show in real time, its sound written by the disk driver: it
    # plays every scene and ends on its own once the song has passed bar
    # 72, about 140 s after the start, with no GL error reported (a debug
    # build checks after every scene block).
    dir=$(mktemp -d)
    begin=$(date +%s)
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/show.raw" start -w 2>"$dir/stderr"
    while kill -0 "$pid" 2>/dev/null && [ $(( $(date +%s) - begin )) -lt 200 ]; do sleep 0.5; done
    kill -0 "$pid" 2>/dev/null && fail "still running after 200 s"
    wait "$pid"; status=$?; pid=""
    elapsed=$(( $(date +%s) - begin ))
    [ "$status" = 0 ] || fail "exit status $status"
    [ "$elapsed" -ge 135 ] && [ "$elapsed" -le 175 ] || fail "ended after $elapsed s, expected about 140 s"
    # At least the song up to bar 72 reached the device (4 bytes a frame).
    [ "$(stat -c %s "$dir/show.raw")" -ge $((1509 * 4096 * 4)) ] || fail "only $(stat -c %s "$dir/show.raw") bytes of sound"
    grep -q "GL error" "$dir/stderr" && fail "$(cat "$dir/stderr")"
    rm -rf "$dir"
    ;;
  soak_500_events_keep_audio_on_schedule)
    # A minute of what hands and window managers do: 500 events, sent at an
    # even pace over 58 s, then Escape. The show must take all of it, and
    # its audio (SDL's disk driver, paced like a device) must run on: the
    # file grows all the time and holds the song byte for byte. It starts
    # fullscreen, so that the first F leaves fullscreen before the largest
    # resize comes.
    dir=$(mktemp -d)
    "$(dirname "$tumbo")/tumbo-capture" --wav "$dir/song.wav" || fail "tumbo-capture failed"
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/demo.raw" start
    # Size of the audio file every 0.2 s: "nanoseconds bytes" lines.
    (while kill -0 "$pid" 2>/dev/null; do
       echo "$(date +%s%N) $(stat -c %s "$dir/demo.raw")"; sleep 0.2
     done) > "$dir/sizes" &
    monitor=$!
    sizes=("1 1" "32767 32767" "640 480" "1 700" "8192 8192" "700 1" "2 2" "1280 1024" "333 250" "16384 16384")
    keys=(a space Return Tab BackSpace Left Right Up Down Home End Prior Next 1 q w shift+f ctrl+f F1 F5 F12 Delete)
    begin=$(date +%s%N)
    for i in $(seq 0 499); do
      # Event i is due 0.116 s after event i - 1.
      wait_ns=$(( begin + i * 116000000 - $(date +%s%N) ))
      [ "$wait_ns" -gt 0 ] && sleep "$(printf '0.%09d' "$wait_ns")"
      case $((i % 10)) in
        0|5) xdotool windowsize "$wid" ${sizes[$(( i / 5 % ${#sizes[@]} ))]} 2>/dev/null ;;
        1) if [ $((i % 50)) = 1 ]; then
             # Held for 0.8 s: the X server repeats it, and every repeat toggles.
             xdotool windowfocus "$wid" 2>/dev/null; xdotool keydown f; sleep 0.8; xdotool keyup f
           else
             xdotool key --window "$wid" f
           fi ;;
        2|3|4) xdotool key --window "$wid" "${keys[$(( i * 7 % ${#keys[@]} ))]}" ;;
        *) xdotool mousemove --window "$wid" $(( i * 37 % 1300 )) $(( i * 53 % 1000 )) 2>/dev/null ;;
      esac
      [ $((i % 50)) = 49 ] && running "after $((i + 1)) events"
    done
    running "after 500 events"
    xdotool key --window "$wid" Escape 2>/dev/null
    wait_exit Escape
    [ "$status" = 0 ] || fail "exit status $status"
    kill "$monitor" 2>/dev/null; wait "$monitor" 2>/dev/null
    # No stall: no two samples further apart than a second saw the same
    # size (a slow sampler cannot fake one), and the file grew at no less
    # than 90 % of real time.
    awk 'NR == 1 { t0 = $1; s0 = $2 }
         $2 != s { since = $1; s = $2 }
         { if ($1 - since > still) still = $1 - since; t = $1 }
         END { rate = (s - s0) / 176400 / ((t - t0) / 1e9);
               printf "audio: longest stand-still %.2f s, %.3f x real time\n", still / 1e9, rate;
               exit !(still < 1e9 && rate > 0.9) }' "$dir/sizes" || fail "the audio stalled"
    same_audio_as_capture "$dir/demo.raw" "$dir/song.wav" $((50 * 44100 * 4))
    rm -rf "$dir"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
echo "PASS: $case_name"
