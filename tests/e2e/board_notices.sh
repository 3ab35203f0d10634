#!/usr/bin/env bash
# Notices as a person meets them. The clock starts at 09:53:50 with, today:
# an appointment at 09:50 (overdue: warned at once), one at 09:00 (long past:
# settled without a word), two at 09:55 (start notices in that minute) and one
# at 09:59 (advance notice at 09:54, five minutes ahead). The notice windows
# open one title bar below and right of the last one still open, OK closes
# each, the board moves on once the 09:55 appointments have started, and the
# close label writes the notice flags into TANZO.DAT. A notice opens while the
# user types Return into another window: it must neither take the keys nor be
# closed by them. The 09:59 appointment was made in the editor, its place and
# comment filled up with ideographic spaces; the notice shows them trimmed.
# With no sound server the log says once that nothing can be played.
# Then a file with a damaged line and an appointment a minute away: the
# message about the line is left open, unanswered, and still the board shows
# its rows and the notice opens on time. Last, twelve appointments come due
# while the board's menu is open and the window manager is held: no flag is
# written while their windows cannot show; once it runs, every one appears,
# each flag follows its window, and no window's frame ends past 80 % of the
# screen although none was framed when they were placed.
# shellcheck disable=SC2119 # e2e_wait_board keeps its default wait
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/board_lib.sh
source "$(dirname "$0")/board_lib.sh"
e2e_init "$@"

today=$(e2e_day_serial 2027-03-15)
tomorrow=$(e2e_day_serial 2027-03-16)
e2e_start_desktop
wm_pid=${E2E_PIDS[-1]} # icewm, started last
e2e_write_data_file <<EOF_DATA
$today,.375,3,"旧館     ","朝礼",0,0
$today,.4097222,2,"支店     ","見積書",0,0
$today,.4131944,1,"本社     ","報告書を提出",0,0
$today,.4131944,3,"倉庫     ","",0,0
$today,.4159722,2,"会議室　　　　","資料持参　　　　　　　　",0,0
$tomorrow,.375,3,"ﾃｽﾄ    ","ｶﾀｶﾅ半角",0,0
EOF_DATA

e2e_start_tanzo --faketime "@2027-03-15 09:53:50"
board=$(e2e_wait_board)

# The 09:50 appointment is three minutes overdue: a warning right after the
# first load. The 09:00 one lies beyond the five-minute skip: no window.
warn=$(board_wait_titled "警告 - 支店" 15) || e2e_fail "no overdue warning for the 09:50 appointment"
e2e_wait_text "本社" 10 || e2e_fail "the board does not show the 09:55 appointment"
e2e_wait_text "支店へ行く時刻を過ぎました。" 5 || e2e_fail "the warning's message is wrong"
[[ -z "$(board_windows_titled "警告 - 旧館")$(board_windows_titled "通知 - 旧館")" ]] ||
    e2e_fail "the appointment of 09:00 was noticed although it lies beyond the skip"
e2e_accessible_dump 2 >"$E2E_ARTIFACTS/tree-before-notices.txt" 2>&1 || true
e2e_screenshot warning

# 09:54: five minutes before 09:59, while the user types Return into another
# window (xev, which logs every key it gets).
xev -name typist -geometry 300x200+40+600 >"$E2E_TMP/xev.log" 2>&1 &
E2E_PIDS+=($!)
e2e_retry 10 xdotool search --onlyvisible --name '^typist$' ||
    e2e_fail "the window to type into did not appear"
typist=$(xdotool search --onlyvisible --name '^typist$' | head -n1)
xdotool windowactivate --sync "$typist"
pre=""
for _ in $(seq 1 200); do
    xdotool key Return
    sleep 0.1
    pre=$(board_windows_titled "予告 - 会議室" | head -n1)
    [[ -n "$pre" ]] && break
done
[[ -n "$pre" ]] || e2e_fail "no advance notice titled 「予告 - 会議室」 (without padding) at 09:54"
for _ in 1 2 3 4 5; do
    xdotool key Return
    sleep 0.2
done
xwininfo -id "$pre" | grep -q IsViewable || e2e_fail "Return typed in another window closed the notice"
[[ "$(xdotool getactivewindow)" == "$typist" ]] ||
    e2e_fail "the notice took the keyboard from the window the user types in"
board_wm_state "$pre" | grep -q _NET_WM_STATE_DEMANDS_ATTENTION ||
    e2e_fail "the notice does not ask for attention: $(board_wm_state "$pre")"
e2e_window_geometry "$pre"
# Its message needs about 236 px; four ideographic spaces more would need 290.
((WIN_W < 260)) || e2e_fail "the padded place widens the notice to $WIN_W px"
e2e_screenshot notice-while-typing
e2e_wait_text "会議室へ行く5分前になりました。" 5 || e2e_fail "the advance notice's message is wrong"
e2e_wait_text "（資料持参）" 5 || e2e_fail "the advance notice lacks the comment line"
[[ -z "$(board_windows_titled "通知 - 本社")" ]] || e2e_fail "the start notice came before 09:55"

# 09:55: both start notices, cascading on the two windows still open.
start1=$(board_wait_titled "通知 - 本社" 75) || e2e_fail "no start notice at 09:55 for 本社"
start2=$(board_wait_titled "通知 - 倉庫" 5) || e2e_fail "no start notice at 09:55 for 倉庫"
sleep 1
e2e_screenshot cascade
for wid in "$warn" "$pre" "$start1" "$start2"; do
    ! board_wm_state "$wid" | grep -q _NET_WM_STATE_ABOVE ||
        e2e_fail "notice window $wid stays above other windows: $(board_wm_state "$wid")"
done

# The first window is centred on the 1280 x 1024 screen; each later one
# steps right and down by the same amount (the height of a title bar).
positions=()
for wid in "$warn" "$pre" "$start1" "$start2"; do
    e2e_window_geometry "$wid" || e2e_fail "notice window $wid vanished"
    positions+=("$WIN_X,$WIN_Y,$WIN_W,$WIN_H")
done
e2e_log "notices at ${positions[*]}"
IFS=, read -r x0 y0 w0 h0 <<<"${positions[0]}"
centre_x=$((x0 + w0 / 2)) centre_y=$((y0 + h0 / 2))
((centre_x > 600 && centre_x < 680 && centre_y > 470 && centre_y < 560)) ||
    e2e_fail "the first notice is not centred: client area at ${positions[0]}"
((w0 == 230 && h0 == 82)) || e2e_fail "a notice's client area is ${w0}x$h0, not 230x82"
IFS=, read -r x1 y1 _ _ <<<"${positions[1]}"
step=$((x1 - x0))
((step > 5 && y1 - y0 == step)) || e2e_fail "the second notice is not one title bar right and below"
for i in 2 3; do
    IFS=, read -r xi yi _ _ <<<"${positions[i]}"
    ((xi - x0 == i * step && yi - y0 == i * step)) ||
        e2e_fail "notice $i is at $xi,$yi, not $((x0 + i * step)),$((y0 + i * step))"
done

# With the 09:55 appointments started, the first row moves on to 09:59.
e2e_wait_text "資料持参" 10 || e2e_fail "the board did not move on to the 09:59 appointment"

# OK closes each window, newest first.
for wid in "$start2" "$start1" "$pre" "$warn"; do
    board_click_ok "$wid"
    e2e_retry 5 bash -c "! xwininfo -id $wid 2>/dev/null | grep -q IsViewable" ||
        e2e_fail "OK did not close notice window $wid"
done
count=$(e2e_tanzo_windows | wc -l)
[[ $count -eq 1 ]] || e2e_fail "$count windows are open after every OK, expected the board alone"
e2e_screenshot after-ok

# The close label "×" of the small board.
e2e_click_in "$board" 395 8
e2e_wait_tanzo_exit 10 || e2e_fail "the program kept running after the close label"
decoded=$(e2e_read_data_file) || e2e_fail "TANZO.DAT is missing or not code page 932"
printf '%s\n' "$decoded" >"$E2E_ARTIFACTS/TANZO.DAT.utf8.txt"

expect_flags() { # place, arrived, prenoticed
    awk -F, -v p="$1" -v a="$2" -v n="$3" '
        index($4, p) == 2 && $6 + 0 == a && $7 + 0 == n { found = 1 }
        END { exit !found }' <<<"$decoded" ||
        e2e_fail "TANZO.DAT does not hold the flags $2,$3 for $1: $(grep -F "$1" <<<"$decoded")"
}
expect_flags "旧館" -1 -1
expect_flags "支店" -1 -1
expect_flags "本社" -1 -1
expect_flags "倉庫" -1 -1
expect_flags "会議室" 0 -1
expect_flags "ﾃｽﾄ" 0 0

# --- no sound device ----------------------------------------------------------------
# Four notices and no sound server: the log says so once, not once per notice.
said=$(grep -c "no audio output device" "$E2E_TMP/tanzo.log" || true)
[[ $said -eq 1 ]] || e2e_fail "the log says $said times that no sound can be played"
(($(wc -l <"$E2E_TMP/tanzo.log") <= 4)) ||
    e2e_fail "the notices without a sound device wrote $(wc -l <"$E2E_TMP/tanzo.log") lines of log"

# --- a message left open does not stop the clock ---------------------------------
e2e_write_data_file <<EOF_DATA
$today,.4201389,2,"出張     ","新幹線",0,0
this line is damaged
EOF_DATA
started=$SECONDS
e2e_start_tanzo --faketime "@2027-03-15 10:04:20" --log tanzo-damaged.log
e2e_wait_board >/dev/null
e2e_wait_text "読み込めませんでした" 15 || e2e_fail "no message about the damaged line"
e2e_wait_text "出張" 15 || e2e_fail "the board shows no rows while the message is open"
board_wait_titled "通知 - 出張" 70 >/dev/null ||
    e2e_fail "no start notice at 10:05 while the message was open"
late=$((SECONDS - started - 40))
e2e_screenshot message-and-notice
((late <= 5)) || e2e_fail "the 10:05 notice came ${late}s late"
e2e_wait_text "読み込めませんでした" 2 || e2e_fail "the message did not stay open"
kill "$TANZO_PID"
e2e_wait_tanzo_exit 10 || e2e_fail "the program did not end on SIGTERM"

# --- twelve notices while the board's menu is open -------------------------------
places=()
for i in $(seq -w 1 12); do places+=("P$i"); done
for place in "${places[@]}"; do
    printf '%s,.4236111,3,"%-7s","",0,0\n' "$today" "$place" # 10:10
done | e2e_write_data_file
started=$SECONDS
e2e_start_tanzo --faketime "@2027-03-15 10:09:40" --log tanzo-menu.log
board=$(e2e_wait_board)
e2e_wait_text "P01" 15 || e2e_fail "the board does not show the 10:10 appointments"
menu_open() { # a window of the program beside the board and taller than a notice
    local wid
    for wid in $(e2e_tanzo_windows); do
        [[ $wid -eq $board ]] && continue
        e2e_window_geometry "$wid" && ((WIN_H > 100)) && return 0
    done
    return 1
}
board_open_menu "$board"
menu_open || e2e_fail "the board's menu did not open"
flagged() { e2e_read_data_file | grep -c -- ',-1,-1$' || true; }

# The window manager is held until well after 10:10: the windows are made
# but cannot come on the screen.
kill -STOP "$wm_pid"
while ((SECONDS - started < 25)); do sleep 0.5; done
held_windows=$(board_windows_titled "通知 - P01")
held_flags=$(flagged)
kill -CONT "$wm_pid"
e2e_screenshot menu-and-held-notices
[[ -z "$held_windows" ]] || e2e_fail "a notice showed while the window manager was held"
((held_flags == 0)) || e2e_fail "$held_flags notices were marked given before their windows showed"

notices=()
for place in "${places[@]}"; do
    wid=$(board_wait_titled "通知 - $place" 10) || e2e_fail "the notice for $place never showed"
    notices+=("$wid")
done
if menu_open; then
    e2e_log "the menu stayed open while the notices came"
else
    e2e_log "the menu closed when the notices came"
fi
active=$(xdotool getactivewindow 2>/dev/null || true)
e2e_log "active window $active ($(xdotool getwindowname "$active" 2>/dev/null || true))"
# The key the user meant for the menu (Return on an item) closes no notice.
xdotool key Return
sleep 0.5
for i in "${!notices[@]}"; do
    xwininfo -id "${notices[i]}" 2>/dev/null | grep -q IsViewable ||
        e2e_fail "Return meant for the menu closed the notice for ${places[i]} unseen"
done
for _ in $(seq 1 50); do
    (($(flagged) == 12)) && break
    sleep 0.1
done
(($(flagged) == 12)) || e2e_fail "only $(flagged) of 12 shown notices are marked given"
sleep 1
e2e_screenshot twelve-notices
for wid in "${notices[@]}"; do
    e2e_window_geometry "$wid" || e2e_fail "notice window $wid vanished"
    read -r _ right _ _ < <(xprop -id "$wid" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
    ((WIN_X + WIN_W + ${right:-0} <= 1024)) ||
        e2e_fail "notice $wid ends at $((WIN_X + WIN_W + ${right:-0})), past 80 % of the screen"
done
xdotool key Escape
sleep 0.3
e2e_click_in "$board" 395 8
e2e_wait_tanzo_exit 10 || e2e_fail "the program kept running after the close label"
(($(flagged) == 12)) || e2e_fail "after the exit $(flagged) of 12 notices are marked given"
e2e_pass
