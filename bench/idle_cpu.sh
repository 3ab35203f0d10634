#!/usr/bin/env bash
# CPU time the idle board uses: the program on a private Xvfb with icewm,
# one appointment later today (so every tick evaluates the alarms) and
# nothing due. Once the first fill is over, the whole process's user and
# system time is read from /proc before and after 60 seconds.
#
#   bash bench/idle_cpu.sh path/to/tanzo [seconds]
#
# Prints "idle cpu: N ms per minute" (the aim is below 30).
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

ticks_per_second=$(getconf CLK_TCK)
before=$(board_cpu_ticks "$TANZO_PID")
sleep "$seconds"
after=$(board_cpu_ticks "$TANZO_PID")
ms=$(((after - before) * 1000 / ticks_per_second))
per_minute=$((ms * 60 / seconds))
echo "idle cpu: $per_minute ms per minute ($ms ms in $seconds s, user+system)"
e2e_pass
