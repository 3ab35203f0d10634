#!/usr/bin/env bash
# A logout or `kill` (SIGTERM) ends the program through its exit command: the
# notice flags given since the start are written back and the window
# settings saved, and the next start is not blocked.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

today=$(e2e_day_serial 2027-03-15)
e2e_start_desktop
# 09:50, ten minutes before the clock: settled silently on the first tick.
e2e_write_data_file <<EOF_DATA
$today,.4097222,2,"会議室    ","資料持参",0,0
EOF_DATA
e2e_start_tanzo --faketime "@2027-03-15 10:00:00"
e2e_wait_board 20 >/dev/null
e2e_wait_text "本日の予定は終了しました" 15 || e2e_fail "the board never showed the end of the day"

sleep 4 # the alarms are evaluated once the first fill has finished
kill -TERM "$TANZO_PID"
e2e_wait_tanzo_exit 10 || e2e_fail "the program kept running after SIGTERM"
[[ $TANZO_EXIT_STATUS -eq 0 ]] || e2e_fail "the program ended with status $TANZO_EXIT_STATUS"

after=$(e2e_read_data_file) || e2e_fail "TANZO.DAT is missing or not code page 932"
grep -qF '"会議室    ","資料持参",-1,-1' <<<"$after" ||
    e2e_fail "the settled appointment's flags were not written: $after"
[[ -f "$TANZO_SETTINGS_FILE" ]] || e2e_fail "the window settings were not saved"

e2e_start_tanzo --faketime "@2027-03-15 10:00:30"
e2e_wait_board 20 >/dev/null || e2e_fail "the program did not start again after SIGTERM"
e2e_pass
