#!/usr/bin/env bash
# Adding an appointment as a person does: F2 on the board opens the editor in
# the middle of the screen; date, status, place, start time and comment are
# entered with the keyboard (the hour typed as one digit), Enter adds the
# line, OK saves. The board shows the new appointment within a few seconds,
# its advance notice follows, a second F2 opens no second editor, and the
# data file holds the new line after exit. While the editor is open another
# program replaces the data file and a command adds through the board: the
# editor's list follows both, the user deletes a line, and OK keeps all
# three changes.
# shellcheck source=tests/e2e/lib.sh
# shellcheck disable=SC2119,SC2317 # defaults of lib.sh; helpers called through e2e_retry
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/dialogs_lib.sh
source "$(dirname "$0")/dialogs_lib.sh"
e2e_init "$@"

readonly start_at="2027-03-15 09:50:00"
readonly editor_title="スケジュール登録"
today=$(e2e_day_serial 2027-03-15)

e2e_start_desktop
e2e_write_data_file <<EOF_DATA
$today,.5,3,"本社     ","定例",0,0
EOF_DATA
started=$(date +%s)
e2e_start_tanzo --faketime "@$start_at"
board=$(e2e_wait_board)
e2e_wait_text "本社" 15 || e2e_fail "the board never showed the 12:00 appointment"

# The board takes keys once it is clicked (a row, not the title that drags).
e2e_click_in "$board" 200 60
dlg_key F2
editor=$(dlg_find_window "$editor_title" 10) || e2e_fail "F2 did not open the schedule editor"
sleep 0.5
e2e_screenshot editor-open
dlg_check_centred "$editor"
e2e_window_geometry "$editor"
# 6945 x 4815 twips of client area.
[[ "$WIN_W" == 463 && "$WIN_H" == 321 ]] || e2e_fail "the editor is ${WIN_W}x$WIN_H, not 463x321"

# A second F2 on the board while the editor is open opens nothing.
e2e_click_in "$board" 200 60
dlg_key F2
sleep 1
[[ $(dlg_count_windows "$editor_title") -eq 1 ]] || e2e_fail "a second F2 opened a second editor"

# Year, month, day and status from their lists with the arrow keys; the
# first item of each is this year, this month, today and "最重要".
dlg_focus "$editor"
dlg_key Down Tab Down Tab Down Tab Down Down
dlg_key Tab
dlg_type "ﾃｽﾄ会議"
dlg_key Tab

# A start time five or six minutes ahead: the advance notice (five minutes
# before) is then due in this minute or the next.
now=$(dlg_fake_seconds_of_day "$start_at" "$started")
minute=$(((now % 3600) / 60 + 5))
((now % 60 < 35)) || minute=$((minute + 1))
((minute <= 59)) || e2e_fail "the test ran past 09:54 before the time was typed"
dlg_type 9 # the hour box takes a bare digit and selects "09" when left
dlg_key Tab
dlg_type "$minute"
dlg_key Tab
dlg_type "memo"
e2e_screenshot editor-filled
dlg_key Return # the add button is the default while the entry is complete
sleep 0.5
e2e_wait_text "ﾃｽﾄ会議" 5 || e2e_fail "the new line does not appear in the editor's list"
e2e_screenshot editor-added

# Meanwhile another program replaces the file (a new file renamed over it,
# as sync tools write) and a command adds through the board.
{
    e2e_read_data_file
    echo "$today,.5416667,3,\"外部     \",\"同期\",0,0"
} | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$TANZO_DATA_FILE.new"
mv "$TANZO_DATA_FILE.new" "$TANZO_DATA_FILE"
env "${E2E_TANZO_ENV[@]}" timeout 20 "$TANZO_BIN" --add 2027-03-15 14:00 追記 >"$E2E_TMP/add.log" 2>&1 ||
    e2e_fail "--add while the editor is open failed: $(cat "$E2E_TMP/add.log")"

# The list follows both and keeps the line added in it.
editor_line() { # the accessible rectangle of the editor's list line holding $1
    e2e_accessible_dump 5 2>/dev/null | "$E2E_PYTHON" -c '
import re, sys
for line in sys.stdin:
    m = re.match(r"\s*list item name=(\x27.*?\x27|\".*?\").* rect=(-?\d+),(-?\d+),(\d+),(\d+)(?: focused)?$", line.rstrip("\n"))
    # Lines of the editor start with their date; rows of the board are list
    # items too, read as sentences.
    name = eval(m.group(1)) if m else ""
    if m and re.match(r"\d{4}/\d\d/\d\d", name) and sys.argv[1] in name and int(m.group(4)) > 0:
        print(m.group(2), m.group(3), m.group(4), m.group(5))
        sys.exit(0)
sys.exit(1)
' "$1"
}
for place in 外部 追記 ﾃｽﾄ会議 本社; do
    e2e_retry 10 editor_line "$place" >/dev/null || e2e_fail "the editor's list lacks the $place line"
done
e2e_screenshot editor-followed

# The user deletes the 12:00 line.
read -r x y w h <<<"$(editor_line 本社)"
xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 1
sleep 0.3
dlg_click_accessible "push button" "削除"
sleep 0.5
! editor_line 本社 >/dev/null || e2e_fail "削除 did not take the 12:00 line out of the list"

# OK saves; the editor closes and the board reloads on its next tick.
dlg_click_twips "$editor" $((2985 + 1155 / 2)) $((4335 + 405 / 2))
dlg_wait_window_gone "$editor_title" 5 || e2e_fail "OK did not close the editor"
e2e_wait_text "ﾃｽﾄ会議" 5 || e2e_fail "the board did not show the new appointment"
e2e_screenshot board-reloaded

notice=$(dlg_find_window "予告 - ﾃｽﾄ会議" 75) ||
    e2e_fail "no advance notice for the 09:$minute appointment"
e2e_screenshot advance-notice
# The notice's OK is its default button. A notice activated in its first
# second ignores Enter (the key was meant for whatever had the keyboard), so
# the user reads it first.
sleep 1.5
dlg_focus "$notice"
dlg_key Return
dlg_wait_window_gone "予告 - ﾃｽﾄ会議" 5 || e2e_fail "Enter did not close the notice"

# Exit with the close label and look at what was written.
e2e_click_in "$board" $((388 + 15 / 2)) $((1 + 16 / 2))
e2e_wait_tanzo_exit 10 || e2e_fail "the program kept running after the close label was clicked"
decoded=$(e2e_read_data_file) || e2e_fail "TANZO.DAT is missing or not code page 932"
printf '%s\n' "$decoded" >"$E2E_ARTIFACTS/TANZO.DAT.utf8.txt"
[[ $(wc -l <<<"$decoded") -eq 3 ]] ||
    e2e_fail "TANZO.DAT should hold the editor's, the other program's and the command's appointments"
! grep -qF '"本社     ","定例"' <<<"$decoded" || e2e_fail "the deleted 12:00 appointment came back"
grep -qF '"外部     ","同期"' <<<"$decoded" || e2e_fail "the other program's appointment was lost"
grep -qF '"追記' <<<"$decoded" || e2e_fail "the command's appointment was lost"
# The place and the comment are filled up with ideographic spaces (7 and 12
# characters); the advance notice has been recorded (flags 0 and -1).
line=$(grep -F 'ﾃｽﾄ会議' <<<"$decoded") || e2e_fail "TANZO.DAT lacks the new appointment"
awk -F, -v d="$today" -v t=$((9 * 60 + minute)) '
    $1 + 0 == d && int($2 * 1440 + 0.5) == t && $3 == 2 &&
    $4 == "\"ﾃｽﾄ会議　　\"" && $5 == "\"memo　　　　　　　　\"" && $6 + 0 == 0 && $7 + 0 == -1 { ok = 1 }
    END { exit !ok }' <<<"$line" || e2e_fail "the new line is not as entered: $line"
e2e_pass
