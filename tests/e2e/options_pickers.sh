#!/usr/bin/env bash
# The options dialog driven by keys and its pickers: Enter does nothing
# while nothing has changed and Escape cancels; the minute box corrects what
# is typed; the font, colour and sound-file choosers open over the dialog and
# leave it unchanged when cancelled; the display-speed test flickers the
# previews and ends with their own texts; a changed minute applied with OK
# reaches the settings file.
# shellcheck source=tests/e2e/lib.sh
# shellcheck disable=SC2119,SC2317 # defaults of lib.sh; helpers called through e2e_retry
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/dialogs_lib.sh
source "$(dirname "$0")/dialogs_lib.sh"
e2e_init "$@"

readonly options_title="ヨルカ設定"

open_options() {
    dlg_click_accessible "push button" "コマンド"
    sleep 0.7
    dlg_key o
    options=$(dlg_find_window "$options_title" 10) || e2e_fail "the menu did not open the options dialog"
    sleep 0.5
}

# Text of the accessible object (role $1) that stands at the twips position
# ($2, $3) of the dialog's client area.
text_at_twips() {
    e2e_window_geometry "$options"
    local px=$((WIN_X + $2 / 15)) py=$((WIN_Y + $3 / 15))
    e2e_accessible_dump 5 2>/dev/null | "$E2E_PYTHON" -c '
import re, sys
role, px, py = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for line in sys.stdin:
    m = re.match(r"\s*(.+?) name=(\x27.*?\x27|\".*?\")(?: text=(\x27.*?\x27|\".*?\"))? rect=(-?\d+),(-?\d+),(\d+),(\d+)(?: focused)?$", line.rstrip("\n"))
    if not m or m.group(1) != role:
        continue
    x, y, w, h = map(int, m.group(4, 5, 6, 7))
    if x <= px < x + w and y <= py < y + h:
        print(eval(m.group(3)) if m.group(3) else eval(m.group(2)))
        sys.exit(0)
sys.exit(1)
' "$1" "$px" "$py"
}

# Opens a chooser with the button at twips ($1, $2) of the dialog, expects a
# window titled $3, photographs it and cancels it with Escape.
try_chooser() {
    dlg_click_twips "$options" "$1" "$2"
    local chooser
    chooser=$(dlg_find_window "$3" 10) || e2e_fail "no \"$3\" window opened"
    sleep 0.7
    e2e_screenshot "chooser-$4"
    dlg_focus "$chooser"
    dlg_key Escape
    dlg_wait_window_gone "$3" 5 || e2e_fail "Escape did not close \"$3\""
    [[ $(dlg_count_windows "$options_title") -eq 1 ]] || e2e_fail "the options dialog went with \"$3\""
}

e2e_start_desktop
e2e_start_tanzo --faketime "@2027-03-15 09:30:00"
e2e_wait_board >/dev/null
sleep 2

# Escape cancels the dialog; Enter does nothing while nothing has changed.
open_options
dlg_focus "$options"
dlg_key Return
sleep 0.5
[[ $(dlg_count_windows "$options_title") -eq 1 ]] || e2e_fail "Enter closed the unchanged dialog"
dlg_key Escape
dlg_wait_window_gone "$options_title" 5 || e2e_fail "Escape did not close the options dialog"

open_options
# Frame2 at 3615,90; txtMin(0) at 2400,285 within it, 375 x 270.
min_x=$((3615 + 2400 + 187)) min_y=$((90 + 285 + 135))
# A click into the box selects its text, so typing replaces it; a letter is
# refused.
dlg_click_twips "$options" $min_x $min_y
sleep 0.3
dlg_type "x7"
[[ "$(text_at_twips text $min_x $min_y)" == 7 ]] || e2e_fail "the minute box took a letter"
dlg_key BackSpace
[[ "$(text_at_twips text $min_x $min_y)" == 1 ]] || e2e_fail "an emptied minute box does not show 1"
dlg_key Home shift+End
dlg_type "99"
[[ "$(text_at_twips text $min_x $min_y)" == 60 ]] || e2e_fail "99 minutes were not corrected to 60"
dlg_key Home shift+End
dlg_type "8"
e2e_screenshot minutes-typed

# Frame1 at 105,90: 文字色 at 315,1365, 背景色 at 1290,1365, フォント at 2265,1365 (900 x 375).
try_chooser $((105 + 315 + 450)) $((90 + 1365 + 187)) "色を選択" text-colour
try_chooser $((105 + 1290 + 450)) $((90 + 1365 + 187)) "色を選択" background
try_chooser $((105 + 2265 + 450)) $((90 + 1365 + 187)) "フォント" font
# "..." at 2520,1380 in Frame2 (315 x 315).
try_chooser $((3615 + 2520 + 157)) $((90 + 1380 + 157)) "ｻｳﾝﾄﾞﾌｧｲﾙの選択" sound-file

# The display-speed test with the value 1: the board's placeholder frames per
# preview, at the board's pace.
# Frame4 at 105,2040; Frame3 at 2460,465; txtInterval and ﾃｽﾄ inside it.
dlg_click_accessible "push button" "ﾃｽﾄ"
sleep 0.05
e2e_screenshot speed-test-running
sleep 5
e2e_wait_text "今日の予定（未到来）" 5 || e2e_fail "the first preview did not get its text back"
e2e_wait_text "到来済と明日以降" 5 || e2e_fail "the second preview did not get its text back"
e2e_accessible_dump 2 | grep -qF "－－－－" && e2e_fail "a placeholder stayed on a preview"
e2e_screenshot speed-test-done

# OK stores the changed minute.
dlg_click_accessible "push button" "OK"
dlg_wait_window_gone "$options_title" 5 || e2e_fail "OK did not close the options dialog"
grep -a "PreAlarmMinute" "$TANZO_SETTINGS_FILE" >"$E2E_ARTIFACTS/pre-alarm-minute.txt" ||
    e2e_fail "the settings file has no PreAlarmMinute"
e2e_pass
