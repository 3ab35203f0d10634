#!/usr/bin/env bash
# The three board sizes, chosen through the command menu "□" → ｻｲｽﾞ → 大/中/小:
# the window's outer size, the place of the close label and the status
# header (half-width katakana only on the small board) follow the size
# table, and Big → Small → Big gives the Big geometry back. A refresh (F5)
# on the big board is photographed while its rows flap, and the burst tells
# how long a fill takes.
# shellcheck disable=SC2119 # e2e_wait_board keeps its default wait
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/board_lib.sh
source "$(dirname "$0")/board_lib.sh"
e2e_init "$@"

today=$(e2e_day_serial 2027-03-15)
e2e_start_desktop
e2e_write_data_file <<EOF_DATA
$today,.4375,2,"会議室    ","資料持参",0,0
$today,.5416667,1,"本社     ","報告書を提出",0,0
$today,.625,3,"倉庫     ","在庫の確認と棚卸しの準備",0,0
EOF_DATA
e2e_start_tanzo --faketime "@2027-03-15 09:59:50"
board=$(e2e_wait_board)
e2e_wait_text "倉庫" 15 || e2e_fail "the board never showed its appointments"
board_wait_drawn

# Left edge of the accessible object "role name='name'" $1, relative to the board.
label_left() {
    local line
    line=$(e2e_accessible_dump 1 | grep -F "$1 " | head -n1)
    [[ -n "$line" ]] || return 1
    e2e_window_geometry "$board" || return 1
    local rect=${line##*rect=}
    echo $((${rect%%,*} - WIN_X))
}

# size word, Down presses in the submenu, width, height, close label's left,
# status header caption
check_size() {
    local word=$1 downs=$2 w=$3 h=$4 exit_left=$5 status=$6
    # ｻｲｽﾞ opens with its first item (大) active.
    # shellcheck disable=SC2046
    board_menu_keys "$board" $(board_downs $BOARD_MENU_SIZE) Right $(board_downs "$downs") Return
    board_wait_size "$board" 5 "$w" "$h" ||
        e2e_fail "after 「$word」 the board is ${WIN_W}x$WIN_H, not ${w}x$h"
    sleep 0.3
    local left
    left=$(label_left "push button name='閉じる'") || e2e_fail "the close label cannot be read"
    [[ $left -eq $exit_left ]] || e2e_fail "at 「$word」 the close label is at x=$left, not $exit_left"
    e2e_accessible_dump 1 | grep -F "label name='$status' " >/dev/null ||
        e2e_fail "at 「$word」 the status header does not read $status"
    e2e_screenshot "size-$word"
    import -window "$board" "$E2E_ARTIFACTS/board-$word.png" 2>/dev/null || true
    e2e_log "「$word」: ${w}x$h, close label at $left"
}

# Small is the default: 6155 x 1410 twips.
board_wait_size "$board" 2 410 94 || e2e_fail "the board does not start small"
# 9480 x 1680 twips; 9150 twips for the close label.
check_size 大 0 632 112 610 "ステータス"
# 7595 x 1590 twips (506.33 x 106); 7260 twips.
check_size 中 1 506 106 484 "ステータス"
# 6155 x 1410 twips (410.33 x 94); 5820 twips.
check_size 小 2 410 94 388 "ｽﾃｰﾀｽ"
check_size 大 0 632 112 610 "ステータス"

# The window manager can neither maximise nor resize the board.
wmctrl -i -r "$board" -b add,maximized_vert,maximized_horz
sleep 0.5
board_wait_size "$board" 1 632 112 || e2e_fail "maximised by the window manager the board is ${WIN_W}x$WIN_H"

# A size change keeps the board's left and top edges.
e2e_window_geometry "$board"
[[ $WIN_X -eq 632 ]] || e2e_log "note: big board's left edge at $WIN_X"

# F5 redraws every row: photograph the flaps. The board needs the keyboard
# focus; a click on the sequence column gives it without doing anything.
e2e_click_in "$board" 30 70
sleep 0.3
xdotool key F5
start=$(date +%s%N)
frames=()
for i in $(seq -w 1 40); do
    file=$E2E_ARTIFACTS/fill-$i.png
    import -window "$board" "$file" 2>/dev/null || break
    frames+=("$file:$((($(date +%s%N) - start) / 1000000))")
done
# The fill is over when the pictures stop changing: the last frame that
# differs from the final one tells its length.
final=${frames[-1]%%:*}
last_change=0
for entry in "${frames[@]}"; do
    diff=$(compare -metric AE "${entry%%:*}" "$final" null: 2>&1 || true)
    [[ "${diff%% *}" != 0 ]] && last_change=${entry##*:}
done
e2e_log "fill: the rows changed for about $last_change ms after F5 (${#frames[@]} pictures)"
[[ $last_change -gt 0 ]] || e2e_fail "F5 did not animate the rows"
# Keep three frames from the flapping and the final one; drop the rest.
kept=0
for entry in "${frames[@]}"; do
    file=${entry%%:*}
    if ((kept < 3)) && [[ ${entry##*:} -le $last_change ]] && (((10#${file: -6:2}) % 3 == 1)); then
        kept=$((kept + 1))
        continue
    fi
    [[ "$file" == "$final" ]] || rm -f "$file"
done
e2e_wait_text "在庫の確認と棚卸しの準備" 5 || e2e_fail "the rows did not come back after F5"
e2e_pass
