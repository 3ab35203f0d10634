#!/usr/bin/env bash
# The board's window behaviour as a person meets it: dragging it by its
# title, the command menu ("■" while open; from the keyboard with Shift+F10,
# the menu key or Tab and Space, and pressed by a screen reader, all at □),
# paging with F6/F4/F5, hiding it
# into the tray with "－" and bringing it back with a left click on the icon
# (a right click opens the tray menu), the task-bar button of "ﾀｽｸﾊﾞｰに表示"
# (the board itself never has one, also after tray trips) and "常に手前に表示"
# keeping the board above another window, and letting it go again: after a
# tray trip, with "内容更新時は前面表示" and after a start with it stored on.
# shellcheck disable=SC2119,SC2317 # e2e_wait_board keeps its default wait; helpers called through e2e_retry
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/board_lib.sh
source "$(dirname "$0")/board_lib.sh"
e2e_init "$@"

readonly APP_TITLE="スケジュールヨルカLite"
today=$(e2e_day_serial 2027-03-15)
e2e_start_desktop
e2e_write_data_file <<EOF_DATA
$today,.4375,2,"会議室    ","資料持参",0,0
$today,.5416667,1,"本社     ","報告書を提出",0,0
$today,.625,3,"倉庫     ","",0,0
$today,.6666667,3,"支社     ","定例",0,0
EOF_DATA
e2e_start_tanzo --faketime "@2027-03-15 09:59:50"
board=$(e2e_wait_board)
e2e_wait_text "倉庫" 15 || e2e_fail "the board never showed its appointments"
sleep 1
e2e_window_geometry "$board"
home_x=$WIN_X home_y=$WIN_Y
e2e_log "board at $home_x,$home_y"

# --- dragging by the title ----------------------------------------------------
xdotool mousemove --sync $((WIN_X + 200)) $((WIN_Y + 8)) mousedown 1
for _ in 1 2 3 4 5 6; do
    xdotool mousemove_relative --sync -- -20 15
    sleep 0.05
done
xdotool mouseup 1
sleep 0.5
e2e_window_geometry "$board"
[[ $WIN_X -eq $((home_x - 120)) && $WIN_Y -eq $((home_y + 90)) ]] ||
    e2e_fail "dragged by (-120, +90) from $home_x,$home_y, the board is at $WIN_X,$WIN_Y"
e2e_screenshot dragged
# A plain move without the button does not drag.
xdotool mousemove_relative --sync -- 30 30
sleep 0.3
e2e_window_geometry "$board"
[[ $WIN_X -eq $((home_x - 120)) ]] || e2e_fail "the board moved with the button up"

# --- the command menu -----------------------------------------------------------
# A popup menu is a window of its own, taller than the small board (94 px);
# MENU_X and MENU_Y are where it opened.
menu_open() {
    local wid
    for wid in $(e2e_tanzo_windows); do
        [[ $wid -eq $board ]] && continue
        if e2e_window_geometry "$wid" && ((WIN_H > 100)); then
            MENU_X=$WIN_X MENU_Y=$WIN_Y
            return 0
        fi
    done
    return 1
}
# The menu opened at the board's □ (its top left just below it), not at
# the pointer, which waits far away at 0,0.
menu_at_control() { # how it was opened
    e2e_retry 5 menu_open || e2e_fail "$1 did not open the command menu"
    menu_open
    e2e_window_geometry "$board"
    ((MENU_X >= WIN_X && MENU_X <= WIN_X + 20 && MENU_Y >= WIN_Y + 8 && MENU_Y <= WIN_Y + 30)) ||
        e2e_fail "$1 opened the menu at $MENU_X,$MENU_Y, not at □ of the board at $WIN_X,$WIN_Y"
}
menu_gone() { ! menu_open; }
board_open_menu "$board"
e2e_screenshot menu-open
menu_open || e2e_fail "the command menu did not open"
e2e_accessible_dump 1 | grep -F "push button name='コマンド' desc='■'" >/dev/null || e2e_fail "the command label does not read ■ while the menu is open"
xdotool key Escape
sleep 0.5
e2e_accessible_dump 1 | grep -F "push button name='コマンド' desc='□'" >/dev/null || e2e_fail "the command label did not return to □"

# --- the command menu from the keyboard and from a screen reader ---------------
# A click on the board gives it the keyboard focus; Shift+F10 and the menu
# key open the menu at □, where an item is chosen by its access key.
e2e_click_in "$board" 30 70 # the sequence column: focus without a command
xdotool mousemove 0 0
sleep 0.3
e2e_accessible_dump 1 | grep -q "^  frame name='$APP_TITLE' .* focused" ||
    e2e_fail "a click on the board did not give it the keyboard focus"
xdotool key shift+F10
menu_at_control "Shift+F10"
e2e_screenshot menu-shift-f10
xdotool key Escape
e2e_retry 5 menu_gone || e2e_fail "Escape did not close the menu opened by Shift+F10"
xdotool key Menu
menu_at_control "the menu key"
xdotool key a # ﾊﾞｰｼﾞｮﾝ情報(&A)
version=$(board_wait_titled "ﾊﾞｰｼﾞｮﾝ情報" 10) || e2e_fail "the access key A chose no ﾊﾞｰｼﾞｮﾝ情報"
sleep 0.5
e2e_accessible_dump 2 >"$E2E_ARTIFACTS/accessible-version.txt" 2>&1 || true
grep -qF "name='スケジュールヨルカLiteのアイコン'" "$E2E_ARTIFACTS/accessible-version.txt" ||
    e2e_fail "the version window's icon has no name"
xdotool key Escape
e2e_retry 5 bash -c "! xwininfo -id $version 2>/dev/null | grep -q IsViewable" ||
    e2e_fail "Escape did not close the version window"
# Tab reaches □, Space presses it: the menu again at □.
e2e_click_in "$board" 30 70
xdotool mousemove 0 0
xdotool key Tab
sleep 0.3
e2e_accessible_dump 1 | grep -qF "push button name='コマンド' desc='□' rect=" ||
    e2e_fail "the command button is gone from the tree"
e2e_accessible_dump 1 | grep -q "push button name='コマンド' .* focused" ||
    e2e_fail "Tab from the board did not reach the command button"
xdotool key space
menu_at_control "Space on the focused コマンド"
xdotool key Escape
e2e_retry 5 menu_gone || e2e_fail "Escape did not close the menu opened by Space"
# A screen reader's press of コマンド: the menu opens at the board too.
e2e_accessible_press "push button" "コマンド" || e2e_fail "no コマンド to press on the accessibility bus"
menu_at_control "the accessible press of コマンド"
xdotool key Escape
e2e_retry 5 menu_gone || e2e_fail "Escape did not close the menu opened by the accessible press"

# --- paging keys ------------------------------------------------------------------
# The places the rows read, in row order (by their top edge): each row is
# one list item named as a sentence.
places() {
    e2e_accessible_dump 1 | awk -F"name='|' rect=" '
        /list item name=/ && match($2, /会議室|本社|倉庫|支社/) {
            split($3, r, ","); print r[2], substr($2, RSTART, RLENGTH) }' | sort -n |
        awk '{ printf "%s ", $2 }'
}
wait_places() { # expected, seconds
    local tries=0 now
    while ((tries < $2 * 2)); do
        now=$(places)
        [[ "$now" == "$1" ]] && return 0
        sleep 0.5
        tries=$((tries + 1))
    done
    e2e_fail "the rows show '$now', expected '$1'"
}
# A key during a fill only beeps: each key waits until the rows are drawn.
e2e_click_in "$board" 30 70 # the sequence column: focus without a command
sleep 0.3
wait_places "会議室 本社 倉庫 " 5
board_wait_drawn
xdotool key F6
wait_places "本社 倉庫 支社 " 10
board_wait_drawn
e2e_screenshot paged-next
xdotool key F4
wait_places "会議室 本社 倉庫 " 10
board_wait_drawn
xdotool key F6 && sleep 0.1 && xdotool key F5 # F5 during the fill only beeps
wait_places "本社 倉庫 支社 " 10
board_wait_drawn
xdotool key F5
wait_places "会議室 本社 倉庫 " 10

# --- the tray ---------------------------------------------------------------------
hide_to_tray() {
    e2e_click_in "$board" 379 8 # "－" of the small board
    e2e_retry 5 bash -c "! xwininfo -id $board | grep -q IsViewable" ||
        e2e_fail "the board is still visible after －"
    e2e_retry 5 board_tray_icon || e2e_fail "no tray icon after －"
    tray=$(board_tray_icon)
}
hide_to_tray
! e2e_tanzo_windows | grep -qvx "$tray" ||
    e2e_fail "a window of the program besides the tray icon is on the screen in tray mode"
e2e_screenshot in-tray

e2e_window_geometry "$tray"
xdotool mousemove --sync $((WIN_X + WIN_W / 2)) $((WIN_Y + WIN_H / 2)) click 1
e2e_retry 5 bash -c "xwininfo -id $board | grep -q IsViewable" ||
    e2e_fail "a left click on the tray icon did not bring the board back"
sleep 0.5
# It comes back where it was placed at start-up, not where it was dragged.
e2e_window_geometry "$board"
[[ $WIN_X -eq $home_x && $WIN_Y -eq $home_y ]] ||
    e2e_fail "the board came back at $WIN_X,$WIN_Y, not at its place $home_x,$home_y"
! board_tray_icon >/dev/null || e2e_fail "the tray icon stayed after the board came back"
e2e_screenshot restored

hide_to_tray
e2e_window_geometry "$tray"
xdotool mousemove --sync $((WIN_X + WIN_W / 2)) $((WIN_Y + WIN_H / 2)) click 3
e2e_retry 5 menu_open || e2e_fail "a right click on the tray icon did not open the tray menu"
e2e_screenshot tray-menu
xdotool key Down Return # "ヨルカを表示"
e2e_retry 5 bash -c "xwininfo -id $board | grep -q IsViewable" ||
    e2e_fail "ヨルカを表示 did not bring the board back"

# --- task-bar button ----------------------------------------------------------
# Clients titled like the program that the task bar shows (not skipped).
taskbar_buttons() {
    local wid count=0
    for wid in $(xprop -root _NET_CLIENT_LIST | sed 's/.*# //; s/,//g'); do
        [[ "$(xdotool getwindowname "$wid" 2>/dev/null)" == "$APP_TITLE" ]] || continue
        board_wm_state "$wid" | grep -q SKIP_TASKBAR || count=$((count + 1))
    done
    echo "$count"
}
# The board is not listed on its own, whatever else the task bar shows.
no_own_taskbar_button() { # when
    board_wm_state "$board" | grep -q _NET_WM_STATE_SKIP_TASKBAR ||
        e2e_fail "$1 the board has a task-bar button of its own: $(board_wm_state "$board")"
    [[ $(taskbar_buttons) -eq 0 ]] || e2e_fail "$1 a task-bar button titled like the program is shown"
}
# Into the tray and back with a left click on the icon.
tray_trip() {
    hide_to_tray
    e2e_window_geometry "$tray"
    xdotool mousemove --sync $((WIN_X + WIN_W / 2)) $((WIN_Y + WIN_H / 2)) click 1
    e2e_retry 5 bash -c "xwininfo -id $board | grep -q IsViewable" ||
        e2e_fail "the board did not come back from the tray"
    sleep 0.7
}
board_wm_state "$board" | grep -q _NET_WM_STATE_SKIP_TASKBAR ||
    e2e_fail "the board asks for no task-bar exclusion: $(board_wm_state "$board")"
[[ $(taskbar_buttons) -eq 0 ]] || e2e_fail "a task-bar button exists before ﾀｽｸﾊﾞｰに表示"
# shellcheck disable=SC2046
board_menu_keys "$board" $(board_downs $BOARD_MENU_SHOWTASK) Return
tries=0
until [[ $(taskbar_buttons) -ge 1 ]] || ((tries++ >= 50)); do sleep 0.1; done
[[ $(taskbar_buttons) -eq 1 ]] || e2e_fail "ﾀｽｸﾊﾞｰに表示 did not give one task-bar button"
board_wm_lists "$APP_TITLE" || e2e_fail "wmctrl does not list the task-bar proxy"
e2e_screenshot taskbar-button
# shellcheck disable=SC2046
board_menu_keys "$board" $(board_downs $BOARD_MENU_SHOWTASK) Return
sleep 0.5
[[ $(taskbar_buttons) -eq 0 ]] || e2e_fail "turning ﾀｽｸﾊﾞｰに表示 off left the task-bar button"

# --- always on top ------------------------------------------------------------
# A normal window activated over the board goes above it (the board is not
# kept on top).
other_goes_above() { # when
    xdotool windowactivate "$other" 2>/dev/null || true
    # icewm rewrites its stacking list only when it restacks; a raise of a
    # window already in front still makes it do so.
    xdotool windowraise "$other"
    sleep 0.7
    (($(board_stack_index "$other") > $(board_stack_index "$board"))) ||
        e2e_fail "$1 the board stays above a window activated over it: $(board_stacking | tr '\n' ' ')"
}
e2e_window_geometry "$board"
xmessage -geometry "+$((WIN_X - 20))+$((WIN_Y + 10))" -title other "another window over the board" &
E2E_PIDS+=($!)
other=$(board_wait_titled other 10) || e2e_fail "xmessage did not appear"
xdotool windowactivate "$other" 2>/dev/null || true
sleep 0.5
(($(board_stack_index "$other") > $(board_stack_index "$board"))) ||
    e2e_fail "the other window is not above the board before 常に手前に表示"
! board_wm_state "$board" | grep -q _NET_WM_STATE_ABOVE || e2e_fail "the board is above before the command"
e2e_screenshot other-above

# shellcheck disable=SC2046
board_menu_keys "$board" $(board_downs $BOARD_MENU_TOPMOST) Return
e2e_retry 5 bash -c "xprop -id $board _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE" ||
    e2e_fail "常に手前に表示 did not put _NET_WM_STATE_ABOVE on the board"
xdotool windowactivate "$other" 2>/dev/null || true
xdotool mousemove --sync 100 100 click 1 # nothing there
xdotool windowraise "$other"
sleep 0.5
(($(board_stack_index "$board") > $(board_stack_index "$other"))) ||
    e2e_fail "with 常に手前に表示 the other window still went above the board"
e2e_screenshot board-above

# shellcheck disable=SC2046
board_menu_keys "$board" $(board_downs $BOARD_MENU_TOPMOST) Return
e2e_retry 5 bash -c "! xprop -id $board _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE" ||
    e2e_fail "turning 常に手前に表示 off kept the board above"
other_goes_above "after 常に手前に表示 was turned off"

# --- on top and out of the task bar across tray trips ---------------------------
# A trip through the tray with on-top set: it comes back on top, and can
# still be turned off. The board never gets a task-bar button of its own.
# shellcheck disable=SC2046
board_menu_keys "$board" $(board_downs $BOARD_MENU_TOPMOST) Return
tray_trip
e2e_retry 5 bash -c "xprop -id $board _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE" ||
    e2e_fail "the board came back from the tray without 常に手前に表示"
# shellcheck disable=SC2046
board_menu_keys "$board" $(board_downs $BOARD_MENU_TOPMOST) Return
other_goes_above "after a tray trip and 常に手前に表示 turned off"
no_own_taskbar_button "after a tray trip with 常に手前に表示 toggled"

# 内容更新時は前面表示: every redraw brings the board forward once.
# shellcheck disable=SC2046
board_menu_keys "$board" $(board_downs $BOARD_MENU_ACTDISP) Return
for _ in 1 2; do
    e2e_click_in "$board" 30 70
    xdotool key F5
    board_wait_drawn
    tray_trip
done
e2e_click_in "$board" 30 70
xdotool key F5
board_wait_drawn
no_own_taskbar_button "after tray trips with 内容更新時は前面表示"
other_goes_above "after redraws with 内容更新時は前面表示"
e2e_screenshot after-tray-trips

# --- a start with on-top stored on ------------------------------------------------
# shellcheck disable=SC2046
board_menu_keys "$board" $(board_downs $BOARD_MENU_ACTDISP) Return
# shellcheck disable=SC2046
board_menu_keys "$board" $(board_downs $BOARD_MENU_TOPMOST) Return
e2e_window_geometry "$board"
e2e_click_in "$board" $((WIN_W - 22 + 15 / 2)) $((1 + 16 / 2)) # the close label
e2e_wait_tanzo_exit 10 || e2e_fail "the close label did not end the program"
e2e_start_tanzo --faketime "@2027-03-15 09:59:50" --log tanzo-restart.log
board=$(e2e_wait_board)
e2e_wait_text "倉庫" 15 || e2e_fail "the restarted board never showed its appointments"
board_wait_drawn
e2e_retry 5 bash -c "xprop -id $board _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE" ||
    e2e_fail "常に手前に表示 stored on did not start the board on top"
# shellcheck disable=SC2046
board_menu_keys "$board" $(board_downs $BOARD_MENU_TOPMOST) Return
e2e_retry 5 bash -c "! xprop -id $board _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE" ||
    e2e_fail "a board started on top cannot be taken off the top"
other_goes_above "on a board started on top, after 常に手前に表示 was turned off"
no_own_taskbar_button "after a start on top"
e2e_pass
