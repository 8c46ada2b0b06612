#!/bin/sh
# live_cpu.sh TUMBO [SECONDS] [RUNS]
#
# CPU use of the live program when the driver does not wait for the display
# at a swap: a private Xvfb (whose GLX honours no swap interval) with a
# 640x480 window, SDL's dummy audio. After 3 s of start-up it counts, for
# SECONDS (default 30), the CPU time of the program (all its threads,
# user + system) and of the X server, which copies every presented frame,
# and prints both as a share of one core; RUNS runs (default 3), then the
# medians. The show plays from its start, so a run covers its first
# SECONDS + 3 seconds.
#
#   bench/live_cpu.sh build/tumbo 30 3
set -eu
program=$1
seconds=${2:-30}
runs=${3:-3}
ticks=$(getconf CLK_TCK)

# utime + stime of a process, in clock ticks (fields 14 and 15 of its stat
# line; the command name in field 2 has no spaces here).
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

results=""
i=0
while [ "$i" -lt "$runs" ]; do
  i=$((i + 1))
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
  xvfb=$!
  read -r display <"$fifo"; rm -f "$fifo"
  DISPLAY=:$display SDL_AUDIODRIVER=dummy "$program" -w 640 480 &
  demo=$!
  sleep 3
  demo0=$(cpu_ticks $demo); x0=$(cpu_ticks $xvfb)
  sleep "$seconds"
  demo1=$(cpu_ticks $demo); x1=$(cpu_ticks $xvfb)
  kill $demo; wait $demo 2>/dev/null || true
  kill $xvfb; wait $xvfb 2>/dev/null || true
  line=$(awk -v d=$((demo1 - demo0)) -v x=$((x1 - x0)) -v t="$ticks" -v s="$seconds" \
    'BEGIN { printf "%.1f %.1f", 100 * d / t / s, 100 * x / t / s }')
  echo "run $i: program ${line% *} % of a core, X server ${line#* } %"
  results="$results$line
"
done
median() { printf '%s' "$results" | awk -v f="$1" '{ print $f }' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "median of $runs runs: program $(median 1) % of a core, X server $(median 2) %"
