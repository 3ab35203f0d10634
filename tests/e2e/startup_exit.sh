#!/usr/bin/env bash
# Start-up and exit as a person meets them: the board appears at its small
# size with the appointments of a prepared data file, a second start brings
# the minimised board back and ends at once, and the close label ends the program with the appointments written
# back (the one too old to keep is dropped). A damaged line in the file is
# told once, the appointments after it still show, and the file as it was is
# kept beside the rewritten one.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/dialogs_lib.sh
source "$(dirname "$0")/dialogs_lib.sh"
e2e_init "$@"

today=$(e2e_day_serial 2027-03-15)
tomorrow=$(e2e_day_serial 2027-03-16)
old=$(e2e_day_serial 2027-03-01) # more than six days before today: dropped

e2e_start_desktop
e2e_write_data_file <<EOF_DATA
$today,.4375,2,"会議室    ","資料持参",0,0
$today,.5,3
$tomorrow,.375,3,"ﾃｽﾄ    ","ｶﾀｶﾅ半角",0,0
$old,.5,1,"古い予定   ","",0,0
$today,.5416667,1,"本社     ","報告書を提出",0,0
EOF_DATA
cp "$TANZO_DATA_FILE" "$E2E_ARTIFACTS/TANZO.DAT.original"

e2e_start_tanzo --faketime "@2027-03-15 09:59:50"
board=$(e2e_wait_board)
e2e_window_geometry "$board"
e2e_log "board $board at $WIN_X,$WIN_Y, ${WIN_W}x$WIN_H"
# The small board is 6155 x 1410 twips: 410 x 94 pixels at 96 dpi.
[[ "$WIN_W" == 410 && "$WIN_H" == 94 ]] || e2e_fail "board is ${WIN_W}x$WIN_H, not 410x94"

# The first tick loads the file and tells about the damaged second line.
e2e_wait_text "スケジュールデータの1行を読み込めませんでした（最初は2行目）" 15 ||
    e2e_fail "no message about the damaged line"
e2e_screenshot damage-message
# The box carries the application title, as the board does; it is the
# dialog of the two. Enter presses its OK.
box=""
for wid in $(dlg_window_titles | awk -F'\t' '$2 == "スケジュールヨルカLite" { print $1 }'); do
    xprop -id "$wid" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q DIALOG && box=$wid
done
[[ -n "$box" ]] || e2e_fail "the message has no window of its own"
dlg_focus "$box"
dlg_key Return
# The next appointment of today heads the board; the one after the damaged
# line follows.
e2e_wait_text "会議室" 15 || e2e_fail "the board never showed the 10:30 appointment"
e2e_wait_text "本社" 5 || e2e_fail "the appointment after the damaged line is not on the board"
e2e_screenshot board

# Minimised by the window manager (no task-bar button, no tray icon): a
# second start brings the board back and ends.
xdotool windowminimize "$board"
e2e_retry 5 bash -c "! xwininfo -id $board | grep -q IsViewable" || e2e_fail "the board was not minimised"
status=0
e2e_run_tanzo_again 10 || status=$?
[[ $status -eq 0 ]] || e2e_fail "a second start ended with status $status (124: it kept running)"
kill -0 "$TANZO_PID" 2>/dev/null || e2e_fail "the first instance ended when the second started"
e2e_retry 5 bash -c "xwininfo -id $board | grep -q IsViewable" ||
    e2e_fail "a second start did not bring the minimised board back"
e2e_screenshot raised-by-second-start
count=$(e2e_tanzo_windows | wc -l)
[[ $count -eq 1 ]] || e2e_fail "$count visible windows after the second start, expected the one board"
# Told once: the ticks since then have said nothing more.
! e2e_accessible_dump 2>/dev/null | grep -qF "読み込めませんでした" ||
    e2e_fail "the damaged line was told again"

# The close label "×" sits at 5820, 15 twips, 225 x 240 twips: click its centre.
e2e_click_in "$board" $((388 + 15 / 2)) $((1 + 16 / 2))
e2e_wait_tanzo_exit 10 || e2e_fail "the program kept running after the close label was clicked"
[[ $TANZO_EXIT_STATUS -eq 0 ]] || e2e_fail "the program ended with status $TANZO_EXIT_STATUS"
e2e_screenshot after-exit

[[ -f "$TANZO_DATA_FILE" ]] || e2e_fail "TANZO.DAT is gone"
cp "$TANZO_DATA_FILE" "$E2E_ARTIFACTS/TANZO.DAT"
decoded=$(e2e_read_data_file) || e2e_fail "TANZO.DAT is not valid code page 932"
printf '%s\n' "$decoded" >"$E2E_ARTIFACTS/TANZO.DAT.utf8.txt"

lines=$(wc -l <"$TANZO_DATA_FILE")
crlf=$(grep -c $'\r$' "$TANZO_DATA_FILE" || true)
[[ $lines -eq 3 ]] || e2e_fail "TANZO.DAT holds $lines lines, expected the 3 current appointments"
[[ $crlf -eq $lines ]] || e2e_fail "only $crlf of $lines lines end in CR LF"
[[ -z "$(tail -c 2 "$TANZO_DATA_FILE" | tr -d '\r\n')" ]] || e2e_fail "the last line has no CR LF"

# date serial, place (always 7 characters), comment, flags of each kept entry
expect_entry() {
    awk -F, -v d="$1" -v p="\"$2\"" -v c="\"$3\"" '
        $1 + 0 == d && $4 == p && $5 == c && $6 + 0 == 0 && $7 + 0 == 0 { found = 1 }
        END { exit !found }' <<<"$decoded" || e2e_fail "TANZO.DAT lacks the entry $1 $2 $3"
}
expect_entry "$today" "会議室    " "資料持参"
expect_entry "$today" "本社     " "報告書を提出"
expect_entry "$tomorrow" "ﾃｽﾄ    " "ｶﾀｶﾅ半角"
! grep -q "古い予定" <<<"$decoded" || e2e_fail "the entry older than six days was written back"

# In date and time order.
order=$(awk -F, '{ print $1 + $2 }' <<<"$decoded" | sort -c -g 2>&1) ||
    e2e_fail "TANZO.DAT is not in date and time order: $order"

cmp -s "$TANZO_DATA_FILE.bak" "$E2E_ARTIFACTS/TANZO.DAT.original" ||
    e2e_fail "TANZO.DAT.bak does not hold the file as it was before the exit"

[[ -f "$TANZO_SETTINGS_FILE" ]] || e2e_fail "the window settings were not saved at exit"
e2e_pass
