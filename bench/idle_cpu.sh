#!/usr/bin/env bash
# CPU time the idle board uses: the program on a private Xvfb with icewm,
# one appointment later today (so every tick evaluates the alarms) and
# nothing due. Once the first fill is over, the whole process's user and
# system time is read from /proc before and after 60 seconds.
#
#   bash bench/idle_cpu.sh path/to/tanzo [seconds]
#
# Prints "idle cpu: N ms per minute" (the aim is below 30).
# shellcheck disable=SC2119 # e2e_wait_board keeps its default wait
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../tests/e2e/lib.sh"
# shellcheck source=tests/e2e/board_lib.sh
source "$(dirname "$0")/../tests/e2e/board_lib.sh"
E2E_NAME=idle_cpu
seconds=${2:-60}
e2e_init "$1"

today=$(e2e_day_serial 2027-03-15)
tomorrow=$(e2e_day_serial 2027-03-16)
e2e_start_desktop
e2e_write_data_file <<EOF_DATA
$today,.75,2,"会議室    ","資料持参",0,0
$tomorrow,.375,3,"本社     ","",0,0
EOF_DATA
e2e_start_tanzo --faketime "@2027-03-15 09:59:50"
e2e_wait_board >/dev/null
e2e_wait_text "会議室" 15 || e2e_fail "the board never showed its appointment"
sleep 5 # past the first fill and the accessibility bus's first questions

# /proc/PID/stat counts in clock ticks (10 ms); the scheduler's run time of
# every thread, in nanoseconds, shows what lies below one tick.
run_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s + 0 }'; }
ticks_per_second=$(getconf CLK_TCK)
before=$(board_cpu_ticks "$TANZO_PID")
before_ns=$(run_ns "$TANZO_PID")
sleep "$seconds"
after=$(board_cpu_ticks "$TANZO_PID")
after_ns=$(run_ns "$TANZO_PID")
ms=$(((after - before) * 1000 / ticks_per_second))
per_minute=$((ms * 60 / seconds))
run_us_per_minute=$(((after_ns - before_ns) * 60 / seconds / 1000))
echo "idle cpu: $per_minute ms per minute ($ms ms in $seconds s, user+system from /proc/$TANZO_PID/stat)"
echo "idle cpu: $((run_us_per_minute / 1000)).$(printf '%03d' $((run_us_per_minute % 1000))) ms per minute on the CPU (all threads, schedstat)"
e2e_pass
