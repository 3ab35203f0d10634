#!/usr/bin/env bash
# Closing the board before its first tick has read the data file must not
# replace the file with the empty list the board holds until then.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

today=$(e2e_day_serial 2027-03-15)
e2e_start_desktop
e2e_write_data_file <<EOF_DATA
$today,.4375,2,"会議室    ","資料持参",0,0
EOF_DATA
before=$(e2e_read_data_file)
e2e_start_tanzo --faketime "@2027-03-15 09:59:50"
board=$(e2e_wait_board 20)
# At once, inside the first second.
e2e_click_in "$board" $((388 + 15 / 2)) $((1 + 16 / 2))
e2e_wait_tanzo_exit 10 || e2e_fail "the program kept running after the close label was clicked"

after=$(e2e_read_data_file) || e2e_fail "TANZO.DAT is missing or not code page 932"
printf '%s\n' "$after" >"$E2E_ARTIFACTS/TANZO.DAT.utf8.txt"
grep -qF '"会議室    ","資料持参"' <<<"$after" ||
    e2e_fail "the appointment was lost by an exit before the first tick; the file now holds: $after"
[[ $(wc -l <<<"$after") -eq $(wc -l <<<"$before") ]] || e2e_fail "TANZO.DAT changed its number of lines"
e2e_pass
