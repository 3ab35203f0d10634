#!/usr/bin/env bash
# A desktop without a system tray: the minimise label must not strand the
# board. Hidden, it keeps a task-bar button titled with the application
# title, and activating that button brings the board back where it was, as
# often as the user likes.
# shellcheck disable=SC2317,SC2119 # helpers called through e2e_retry
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/perf_lib.sh
source "$(dirname "$0")/perf_lib.sh"
e2e_init "$@"
readonly title=スケジュールヨルカLite

e2e_start_xvfb
e2e_start_dbus
e2e_start_icewm notray

today=$(e2e_day_serial 2027-03-15)
e2e_write_data_file <<EOF_DATA
$today,.4375,2,"会議室    ","資料持参",0,0
EOF_DATA
e2e_start_tanzo --faketime "@2027-03-15 09:59:50"
board=$(e2e_wait_board)
e2e_window_geometry "$board"
home_x=$WIN_X home_y=$WIN_Y
e2e_log "board $board at $home_x,$home_y"
e2e_screenshot board

board_shown() { [[ -n "$(e2e_tanzo_windows)" ]]; }

# Windows listed by the window manager under the application title that are
# reachable from the task bar (not skipped by it), one id a line.
titled_buttons() {
    local wid
    for wid in $(wmctrl -l | awk -v t="$title" '{ id = $1; $1 = $2 = $3 = ""; sub(/^ +/, ""); if ($0 == t) print id }'); do
        xprop -id "$wid" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_SKIP_TASKBAR || echo "$wid"
    done
}
has_button() { [[ -n "$(titled_buttons)" ]]; }
board_hidden() { ! board_shown; }

for round in 1 2; do
    board=$(e2e_wait_board 10)
    # The pointer may still rest where the last click was; "mousemove --sync"
    # would wait for a move that never comes.
    xdotool mousemove 0 300
    # "－" sits at 5580, 15 twips, 225 x 240 twips: 372, 1 and 15 x 16 pixels.
    e2e_click_in "$board" $((372 + 15 / 2)) $((1 + 16 / 2))
    e2e_retry 10 board_hidden || e2e_fail "round $round: the board stayed up after the minimise label"
    kill -0 "$TANZO_PID" 2>/dev/null || e2e_fail "round $round: the program ended when minimised"
    e2e_log "round $round: board hidden"
    e2e_retry 10 has_button ||
        e2e_fail "round $round: hidden with no tray and no task-bar button titled $title: stranded"
    wmctrl -l >"$E2E_ARTIFACTS/windows-hidden-$round.txt"
    e2e_screenshot "hidden-$round"

    button=$(titled_buttons | head -n1)
    if ((round == 1)); then
        wmctrl -i -a "$button" || e2e_fail "wmctrl could not activate the button window"
    else
        xdotool windowactivate "$button" 2>/dev/null || wmctrl -i -a "$button"
    fi
    e2e_log "round $round: button activated"
    e2e_retry 10 board_shown || e2e_fail "round $round: activating the button did not bring the board back"
    board=$(e2e_wait_board 5)
    e2e_window_geometry "$board"
    [[ "$WIN_X,$WIN_Y" == "$home_x,$home_y" ]] ||
        e2e_fail "round $round: the board came back at $WIN_X,$WIN_Y, not $home_x,$home_y"
    e2e_screenshot "restored-$round"
done

# The board still answers: its close label ends the program.
e2e_click_in "$board" $((388 + 15 / 2)) $((1 + 16 / 2))
e2e_wait_tanzo_exit 10 || e2e_fail "the program kept running after the close label"
e2e_pass
