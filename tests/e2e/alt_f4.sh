#!/usr/bin/env bash
# Alt+F4 on the board: icewm takes the key and asks the window to close. The
# program treats that request like its exit command, so the appointments are
# written back (which drops the one too old to keep) and the program ends, as
# with the close label.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

today=$(e2e_day_serial 2027-03-15)
old=$(e2e_day_serial 2027-03-08) # seven days before today: dropped when written
e2e_start_desktop
e2e_write_data_file <<EOF_DATA
$today,.4375,2,"会議室    ","資料持参",0,0
$old,.5,3,"古い予定   ","",0,0
$today,.625,3,"倉庫     ","",0,0
EOF_DATA
e2e_start_tanzo --faketime "@2027-03-15 09:59:50"
board=$(e2e_wait_board)
e2e_wait_text "会議室" 15 || e2e_fail "the board never showed the 10:30 appointment"

# The window manager delivers Alt+F4 to the focused window.
xdotool windowactivate --sync "$board" 2>/dev/null || xdotool windowfocus --sync "$board"
e2e_screenshot focused
xdotool key --clearmodifiers alt+F4
e2e_wait_tanzo_exit 10 || e2e_fail "the program kept running after Alt+F4"
[[ $TANZO_EXIT_STATUS -eq 0 ]] || e2e_fail "the program ended with status $TANZO_EXIT_STATUS"
e2e_screenshot after-exit

decoded=$(e2e_read_data_file) || e2e_fail "TANZO.DAT is missing or not code page 932"
printf '%s\n' "$decoded" >"$E2E_ARTIFACTS/TANZO.DAT.utf8.txt"
! grep -q "古い予定" <<<"$decoded" || e2e_fail "TANZO.DAT was not written at Alt+F4"
[[ $(wc -l <<<"$decoded") -eq 2 ]] || e2e_fail "TANZO.DAT should hold both current appointments"
grep -qF '"会議室    ","資料持参"' <<<"$decoded" || e2e_fail "the 10:30 appointment was lost"
grep -qF '"倉庫     ",""' <<<"$decoded" || e2e_fail "the 15:00 appointment was lost"
[[ -f "$TANZO_SETTINGS_FILE" ]] || e2e_fail "the window settings were not saved"
e2e_pass
