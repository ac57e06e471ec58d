#!/bin/bash
# Idle cost of the program at rest: starts it, lets it settle, then measures
# over a quiet stretch how much CPU time it used and how often its threads
# woke up (context switches).
#
# Usage: bench/idle_cpu.sh [build folder] [seconds]
#   build folder  holds lexivane, lexvan.ini and data/ (default: build/
#                 beside this script's folder); build and stage it first:
#                 cmake --build <dir> && cmake --build <dir> --target stage
#   seconds       length of each measurement (default 10)
#
# Three runs:
#   program        ./lexivane as a user starts it (test window and about
#                  window; the test window's globe animation runs)
#   test window    the test window alone (tools/chrome/chrome_showcase idle)
#   still window   the same with its animation paused and a steady text
#                  cursor (... idle --still): what is left is the window with
#                  its skinned frame and close button
#
# Without a display it re-runs itself under xvfb-run. With xdotool present it
# clicks the test window's title bar first, so the measured window is the
# active one, and then parks the pointer away from every window.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build_dir=$(cd "${1:-$here/../build}" && pwd)
seconds=${2:-10}

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1000x700x24" "$0" "$build_dir" "$seconds"
fi

cd "$build_dir"
[ -x ./lexivane ] || { echo "no lexivane in $build_dir" >&2; exit 1; }
ticks_per_second=$(getconf CLK_TCK)

pid=
stop() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    pid=
}
trap stop EXIT

cpu_ticks() {
    # utime + stime of the whole process, in clock ticks.
    awk '{ print $14 + $15 }' "/proc/$pid/stat"
}

switches() {
    # Voluntary and involuntary context switches of all threads: every
    # wake-up of a thread counts once.
    cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ { n += $2 } END { print n }'
}

measure() {
    local title=$1
    shift
    "$@" >/dev/null 2>&1 &
    pid=$!
    sleep 3
    if command -v xdotool >/dev/null; then
        # The test window's title bar is near the top-left of the screen.
        xdotool mousemove 150 34 click 1
        sleep 0.5
        xdotool mousemove 990 690
    fi
    sleep 2

    local cpu0 sw0 start cpu1 sw1 end threads
    cpu0=$(cpu_ticks)
    sw0=$(switches)
    start=$(date +%s.%N)
    sleep "$seconds"
    cpu1=$(cpu_ticks)
    sw1=$(switches)
    end=$(date +%s.%N)
    threads=$(ls /proc/"$pid"/task | wc -l)
    stop

    awk -v title="$title" -v c0="$cpu0" -v c1="$cpu1" -v s0="$sw0" -v s1="$sw1" -v t0="$start" -v t1="$end" \
        -v hz="$ticks_per_second" -v threads="$threads" '
    BEGIN {
        elapsed = t1 - t0
        cpu = (c1 - c0) / hz
        printf "%-14s %5.1f s  %d threads  CPU %.3f s = %5.2f%% of one core  %5d wake-ups = %6.1f per second\n",
               title, elapsed, threads, cpu, 100 * cpu / elapsed, s1 - s0, (s1 - s0) / elapsed
    }'
}

measure "program" ./lexivane
showcase=./tools/chrome/chrome_showcase
if [ -x "$showcase" ]; then
    measure "test window" "$showcase" idle
    measure "still window" "$showcase" idle --still
else
    echo "($showcase not built: only the program was measured)"
fi
