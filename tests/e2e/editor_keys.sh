#!/usr/bin/env bash
# The editor driven by the keyboard: Escape leaves without writing; an hour
# that is not offered ("24") is refused with the hour message and the focus
# stays in the box; a corrected hour and a one-digit minute are accepted;
# Space on a line loads it for a change, Update replaces it, Apply writes
# the file and keeps the editor open, and Cancel then closes it.
# shellcheck source=tests/e2e/lib.sh
# shellcheck disable=SC2119,SC2317 # defaults of lib.sh; helpers called through e2e_retry
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/dialogs_lib.sh
source "$(dirname "$0")/dialogs_lib.sh"
e2e_init "$@"

readonly editor_title="スケジュール登録"
today=$(e2e_day_serial 2027-03-15)
tomorrow=$(e2e_day_serial 2027-03-16)

file_changed() {
    [[ "$(cat "$TANZO_DATA_FILE")" != "$original" ]]
}

open_editor() {
    e2e_click_in "$board" 200 60
    dlg_key F2
    editor=$(dlg_find_window "$editor_title" 10) || e2e_fail "F2 did not open the schedule editor"
    sleep 0.5
    dlg_focus "$editor"
}

e2e_start_desktop
e2e_write_data_file <<EOF_DATA
$today,.5,3,"本社     ","定例",0,0
$tomorrow,.4166667,1,"倉庫     ","棚卸",0,0
EOF_DATA
original=$(cat "$TANZO_DATA_FILE")
e2e_start_tanzo --faketime "@2027-03-15 09:50:00"
board=$(e2e_wait_board)
e2e_wait_text "本社" 15 || e2e_fail "the board never showed the 12:00 appointment"

# Escape leaves an edited editor without a question and without writing.
open_editor
dlg_key Down Tab Down Tab Down Tab Down Tab
dlg_type "ABC"
dlg_key Escape
dlg_wait_window_gone "$editor_title" 5 || e2e_fail "Escape did not close the editor"
[[ "$(cat "$TANZO_DATA_FILE")" == "$original" ]] || e2e_fail "Escape changed the data file"

open_editor
dlg_key Down Tab Down Tab Down Tab Down Tab
dlg_type "ABC"
dlg_key Tab
dlg_type "24"
dlg_key Tab
e2e_wait_text "開始時刻（時）が正しくありません。" 5 || e2e_fail "24 o'clock gave no hour message"
[[ $(dlg_count_windows "$editor_title") -eq 2 ]] ||
    e2e_fail "the hour message does not carry the editor's caption"
e2e_screenshot hour-message
dlg_key Return
e2e_retry 5 test "$(dlg_count_windows "$editor_title")" -eq 1 || e2e_fail "the hour message stayed"
# The focus is back in the hour box with "24" as typed: replace it.
dlg_key BackSpace BackSpace
dlg_type "10"
dlg_key Tab
dlg_type "5" # selects "05" when the box is left
dlg_key Tab
dlg_type "x"
dlg_key Return # adds
e2e_wait_text "10:05" 5 || e2e_fail "the typed 10:05 did not reach the list"

# The list has the focus, on the first line without selecting it: the new
# line, then 倉庫 (tomorrow), then 本社. Space on 倉庫 loads it for a change;
# the focus goes to the year.
dlg_key Down
dlg_key space
e2e_wait_text "棚卸" 5 || e2e_fail "Space on the line did not load its comment"
e2e_screenshot line-loaded
# Year, month, day, status, then the place, whose text is selected on entry.
dlg_key Tab Tab Tab Tab
dlg_type "倉庫2"
# 更新 at 5955,180 (915 x 375).
dlg_click_twips "$editor" $((5955 + 457)) $((180 + 187))
e2e_wait_text "倉庫2" 5 || e2e_fail "Update did not change the line"
# 適用 at 5700,4335 (1155 x 405).
dlg_click_twips "$editor" $((5700 + 577)) $((4335 + 202))
e2e_retry 5 file_changed ||
    e2e_fail "Apply did not write the changed line"
[[ $(dlg_count_windows "$editor_title") -eq 1 ]] || e2e_fail "Apply closed the editor"
e2e_screenshot applied
decoded=$(e2e_read_data_file)
printf '%s\n' "$decoded" >"$E2E_ARTIFACTS/TANZO.DAT.utf8.txt"
[[ $(wc -l <<<"$decoded") -eq 3 ]] || e2e_fail "the data file does not hold three lines"
grep -q '^'"$today"',.*"ABC　　　　","x　　　　　　　　　　　",0,0$' <<<"$decoded" ||
    e2e_fail "the added 10:05 line is not in the file"
grep -q '^'"$tomorrow"',.*,1,"倉庫2　　　　","棚卸　　　　　　　　　　",0,0$' <<<"$decoded" ||
    e2e_fail "the changed line lost its date, status or comment"
grep -qF '"本社     ","定例"' <<<"$decoded" || e2e_fail "the untouched line changed"

# 'ｷｬﾝｾﾙ' at 4335,4335 closes; the board has reloaded with 10:05 first.
dlg_click_twips "$editor" $((4335 + 577)) $((4335 + 202))
dlg_wait_window_gone "$editor_title" 5 || e2e_fail "Cancel did not close the editor"
e2e_wait_text "ABC" 5 || e2e_fail "the board did not reload after Apply"
e2e_screenshot board-reloaded
e2e_pass
