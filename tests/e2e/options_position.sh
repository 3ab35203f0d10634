#!/usr/bin/env bash
# The options dialog as a person meets it: opened from the board's command
# menu, "位置を設定" then "右端" moves the board flush right at once, OK keeps
# it there (Escape would have put it back), and the next start finds the
# board there again. "ログイン時に起動" writes a valid autostart entry that runs
# this program. The version window and the help viewer open from the menu and
# from F1. 常に手前に表示 and ﾀｽｸﾊﾞｰに表示 applied show at once; a position
# stored off every screen still gives a visible board.
# shellcheck source=tests/e2e/lib.sh
# shellcheck disable=SC2119,SC2317 # defaults of lib.sh; helpers called through e2e_retry
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/dialogs_lib.sh
source "$(dirname "$0")/dialogs_lib.sh"
e2e_init "$@"

readonly start_at="2027-03-15 09:30:00"
readonly options_title="ヨルカ設定"
readonly version_title="ﾊﾞｰｼﾞｮﾝ情報"
today=$(e2e_day_serial 2027-03-15)

# Opens the board's command menu ("□") and picks the item with mnemonic $1.
open_board_menu_item() {
    dlg_click_accessible "push button" "コマンド"
    sleep 0.7
    dlg_key "$1"
}

board_centred() {
    e2e_window_geometry "$board" && ((WIN_X == (1280 - WIN_W) / 2))
}

board_flush_right() {
    e2e_window_geometry "$board" && ((WIN_X + WIN_W == 1280))
}

e2e_start_desktop
icewm_pid=${E2E_PIDS[-1]}
e2e_write_data_file <<EOF_DATA
$today,.5,3,"本社     ","定例",0,0
EOF_DATA
e2e_start_tanzo --faketime "@$start_at"
board=$(e2e_wait_board)
e2e_wait_text "本社" 15 || e2e_fail "the board never showed the 12:00 appointment"
# Away from the right edge first, so that the move can be seen.
e2e_window_geometry "$board"
e2e_log "board at $WIN_X,$WIN_Y, ${WIN_W}x$WIN_H"

open_board_menu_item o
options=$(dlg_find_window "$options_title" 10) || e2e_fail "the menu did not open the options dialog"
sleep 0.5
e2e_screenshot options-open
dlg_check_centred "$options"
# Only the first bytes: grep -q stops reading early, and a writer cut off by
# that would fail the pipeline under pipefail.
xprop -len 8 -id "$options" _NET_WM_ICON | grep -q "_NET_WM_ICON(CARDINAL) = " ||
    e2e_fail "the options dialog carries no icon of the program"
e2e_window_geometry "$options"
# 7020 x 4755 twips of client area.
[[ "$WIN_W" == 468 && "$WIN_H" == 317 ]] || e2e_fail "the options dialog is ${WIN_W}x$WIN_H, not 468x317"

# A second menu command opens nothing more.
open_board_menu_item o
sleep 1
[[ $(dlg_count_windows "$options_title") -eq 1 ]] || e2e_fail "a second command opened a second dialog"

# Escape after a live move puts the board back where it stood.
e2e_window_geometry "$board"
start_x=$WIN_X
dlg_click_accessible "check box" "位置を設定" 8
sleep 0.3
dlg_click_accessible "radio button" "中央" 8
e2e_retry 3 board_centred || e2e_fail "中央 did not centre the board ($WIN_X + $WIN_W)"
dlg_focus "$options"
dlg_key Escape
dlg_wait_window_gone "$options_title" 5 || e2e_fail "Escape did not close the options dialog"
e2e_window_geometry "$board"
[[ $WIN_X -eq $start_x ]] || e2e_fail "Escape left the board at x $WIN_X, not back at $start_x"

open_board_menu_item o
options=$(dlg_find_window "$options_title" 10) || e2e_fail "the menu did not open the options dialog again"
sleep 0.5

dlg_click_accessible "check box" "位置を設定" 8
sleep 0.3
dlg_click_accessible "radio button" "右端" 8
e2e_retry 3 board_flush_right || e2e_fail "右端 did not move the board flush right ($WIN_X + $WIN_W)"
board_y=$WIN_Y
autostart=$XDG_CONFIG_HOME/autostart/tanzo.desktop
dlg_click_accessible "check box" "ログイン時に起動" 8
e2e_screenshot options-right-edge
dlg_click_accessible "push button" "OK"
dlg_wait_window_gone "$options_title" 5 || e2e_fail "OK did not close the options dialog"
board_flush_right || e2e_fail "the board left the right edge after OK"
[[ -f "$autostart" ]] || e2e_fail "ログイン時に起動 wrote no $autostart"
cp "$autostart" "$E2E_ARTIFACTS/autostart-tanzo.desktop"
desktop-file-validate "$autostart" >"$E2E_ARTIFACTS/autostart-validate.txt" 2>&1 &&
    ! grep -qiE 'warning|error' "$E2E_ARTIFACTS/autostart-validate.txt" ||
    e2e_fail "the autostart entry does not validate: $(cat "$E2E_ARTIFACTS/autostart-validate.txt")"
grep -qxF "Exec=$(readlink -f "$TANZO_BIN")" "$autostart" ||
    e2e_fail "the autostart entry does not run $TANZO_BIN: $(grep '^Exec' "$autostart")"

# The version window, from the command menu, in the middle of the screen;
# Escape closes it.
open_board_menu_item a
version=$(dlg_find_window "$version_title" 10) || e2e_fail "the menu did not open the version window"
sleep 0.5
e2e_screenshot version-window
dlg_check_centred "$version"
e2e_wait_text "スケジュールヨルカLite" 5 || e2e_fail "the version window does not name the program"
dlg_focus "$version"
dlg_key Escape
dlg_wait_window_gone "$version_title" 5 || e2e_fail "Escape did not close the version window"

# F1 on the board opens the help at its contents.
e2e_click_in "$board" 200 60
dlg_key F1
help=$(dlg_find_window "スケジュールヨルカLite ﾍﾙﾌﾟ" 10) || e2e_fail "F1 did not open the help"
sleep 0.7
e2e_screenshot help-contents
dlg_check_centred "$help"
# Escape closes it, as Ctrl+W does.
for keys in Escape ctrl+w; do
    dlg_focus "$help"
    dlg_key "$keys"
    dlg_wait_window_gone "スケジュールヨルカLite ﾍﾙﾌﾟ" 5 || e2e_fail "$keys did not close the help viewer"
    [[ $keys == ctrl+w ]] && break
    e2e_click_in "$board" 200 60
    dlg_key F1
    help=$(dlg_find_window "スケジュールヨルカLite ﾍﾙﾌﾟ" 10) || e2e_fail "F1 did not open the help again"
done

# Exit with the close label; the next start puts the board where OK left it.
e2e_window_geometry "$board"
e2e_click_in "$board" $((WIN_W - 22 + 15 / 2)) $((1 + 16 / 2))
e2e_wait_tanzo_exit 10 || e2e_fail "the program kept running after the close label was clicked"
grep -q "LastPositionX" "$TANZO_SETTINGS_FILE" || e2e_fail "no position in the settings file"

e2e_start_tanzo --faketime "@$start_at" --log tanzo-restart.log
board=$(e2e_wait_board)
e2e_retry 5 board_flush_right || e2e_fail "after a restart the board is at $WIN_X (width $WIN_W), not flush right"
[[ $WIN_Y -eq $board_y ]] || e2e_fail "after a restart the board is at y $WIN_Y, not $board_y"
e2e_screenshot restarted

# 常に手前に表示 and ﾀｽｸﾊﾞｰに表示 applied in the dialog show on the board at once.
e2e_wait_text "本社" 15 || e2e_fail "the restarted board never showed its appointment"
own_buttons() { # task-bar buttons titled like the program
    local wid count=0
    for wid in $(xprop -root _NET_CLIENT_LIST | sed 's/.*# //; s/,//g'); do
        [[ "$(xdotool getwindowname "$wid" 2>/dev/null)" == "スケジュールヨルカLite" ]] || continue
        xprop -id "$wid" _NET_WM_STATE | grep -q SKIP_TASKBAR || count=$((count + 1))
    done
    echo "$count"
}
open_board_menu_item o
options=$(dlg_find_window "$options_title" 10) || e2e_fail "the menu did not open the options dialog"
sleep 0.5
dlg_click_accessible "check box" "ﾀｽｸﾊﾞｰに表示" 8
dlg_click_accessible "check box" "常に手前に表示" 8
dlg_click_accessible "push button" "適用"
e2e_retry 5 bash -c "xprop -id $board _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE" ||
    e2e_fail "常に手前に表示 applied did not put the board on top"
e2e_retry 5 bash -c "[[ \$(xprop -root _NET_CLIENT_LIST | tr ',' '\n' | wc -l) -ge 3 ]]"
tries=0
until [[ $(own_buttons) -eq 1 ]] || ((tries++ >= 50)); do sleep 0.1; done
[[ $(own_buttons) -eq 1 ]] || e2e_fail "ﾀｽｸﾊﾞｰに表示 applied did not give the task-bar button"
e2e_screenshot applied-window-options
dlg_click_accessible "check box" "ﾀｽｸﾊﾞｰに表示" 8
dlg_click_accessible "check box" "常に手前に表示" 8
dlg_click_accessible "push button" "OK"
dlg_wait_window_gone "$options_title" 5 || e2e_fail "OK did not close the options dialog"
e2e_retry 5 bash -c "! xprop -id $board _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE" ||
    e2e_fail "常に手前に表示 turned off in the dialog kept the board on top"
tries=0
until [[ $(own_buttons) -eq 0 ]] || ((tries++ >= 50)); do sleep 0.1; done
[[ $(own_buttons) -eq 0 ]] || e2e_fail "ﾀｽｸﾊﾞｰに表示 turned off in the dialog left the task-bar button"

# A position stored off every screen (a monitor unplugged, a hand-edited
# file) with no window manager to pull the board back: it must still be seen.
e2e_window_geometry "$board"
e2e_click_in "$board" $((WIN_W - 22 + 15 / 2)) $((1 + 16 / 2))
e2e_wait_tanzo_exit 10 || e2e_fail "the program kept running after the close label was clicked"
kill "$icewm_pid"
e2e_wait_exit "$icewm_pid" 5 || e2e_fail "icewm did not end"
# (5000, 4000), (-32768, -32768), and (1000, 16) with the board's right part
# past the screen's edge.
for pos in "88,13 a0,0f" "00,80 00,80" "e8,03 10,00"; do
    read -r x y <<<"$pos"
    sed -i -e "s/^\"LastPositionX\"=hex:.*/\"LastPositionX\"=hex:$x/" \
        -e "s/^\"LastPositionY\"=hex:.*/\"LastPositionY\"=hex:$y/" "$TANZO_SETTINGS_FILE"
    grep -aq "LastPositionX\"=hex:$x" "$TANZO_SETTINGS_FILE" || e2e_fail "could not store the position $pos"
    e2e_start_tanzo --faketime "@$start_at" --log "tanzo-offscreen-${x/,/}.log"
    board=$(e2e_wait_board) # a board on the screen, or none
    e2e_window_geometry "$board"
    ((WIN_X >= 0 && WIN_Y >= 0 && WIN_X + WIN_W <= 1280 && WIN_Y + WIN_H <= 1024)) ||
        e2e_fail "stored at ($pos) the board is at $WIN_X,$WIN_Y, not wholly on the screen"
    e2e_screenshot "offscreen-position-${x/,/}"
    kill "$TANZO_PID"
    e2e_wait_tanzo_exit 10 || e2e_fail "the program did not end on SIGTERM"
done
e2e_pass
