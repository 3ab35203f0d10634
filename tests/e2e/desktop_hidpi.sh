#!/usr/bin/env bash
# The board, a notice, the schedule editor and the options dialog on a
# double-density screen: every window keeps its proportions (twice its size
# in device pixels) and its screenshots are kept for a look at the text.
# A screen reader finds every control by its role and its own name, each
# board row as one sentence and the help as a document with its text.
#   TANZO_HIDPI=dpi    (default) Xvfb at 192 dpi with Xft.dpi 192, as a desktop sets it
#   TANZO_HIDPI=scale  96 dpi with QT_SCALE_FACTOR=2
# shellcheck disable=SC2317,SC2119 # helpers called through e2e_retry
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/perf_lib.sh
source "$(dirname "$0")/perf_lib.sh"
mode=${TANZO_HIDPI:-dpi}
E2E_NAME=hidpi
[[ "$mode" == dpi ]] || E2E_NAME=hidpi-$mode
e2e_init "$@"

case "$mode" in
dpi)
    perf_start_xvfb 2560x2048 192
    # Desktops announce their density to X clients through the Xft.dpi
    # resource (what xrdb would load); the toolkit scales by it.
    xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	192
" || e2e_fail "cannot set the Xft.dpi resource"
    ;;
scale)
    perf_start_xvfb 2560x2048 96
    export QT_SCALE_FACTOR=2
    ;;
*) e2e_fail "TANZO_HIDPI is dpi or scale, not $mode" ;;
esac
e2e_tanzo_windows() { perf_tanzo_windows; } # the screen is larger than lib.sh assumes
e2e_start_dbus
e2e_start_icewm

today=$(e2e_day_serial 2027-03-15)
e2e_write_data_file <<EOF_DATA
$today,.4166667,2,"会議室    ","資料持参",0,0
$today,.4375,1,"本社     ","報告書を提出",0,0
$today,.5,3,"ﾃｽﾄ    ","ｶﾀｶﾅ半角のコメント",0,0
EOF_DATA
# The 10:00 appointment's start notice comes ten seconds in.
e2e_start_tanzo --faketime "@2027-03-15 09:59:50"
board=$(e2e_wait_board)
e2e_window_geometry "$board"
e2e_log "board $board at $WIN_X,$WIN_Y, ${WIN_W}x$WIN_H"
board_w=$WIN_W board_h=$WIN_H
sleep 4 # the first fill
perf_window_shot "$board" board
e2e_screenshot screen-board
e2e_accessible_dump 5 >"$E2E_ARTIFACTS/accessible-board.txt" 2>&1 || true

failures=()
# $1 what, $2 measured w, $3 h, $4 expected w, $5 h at 96 dpi: twice that, give or take 2.
expect_double() {
    local dw=$(($2 - 2 * $4)) dh=$(($3 - 2 * $5))
    if ((dw < -2 || dw > 2 || dh < -2 || dh > 2)); then
        failures+=("$1 is $2x$3, not about $((2 * $4))x$((2 * $5))")
        e2e_log "MISMATCH: $1 is $2x$3, expected $((2 * $4))x$((2 * $5))"
    else
        e2e_log "$1 is $2x$3 (twice $4x$5)"
    fi
}
expect_double board "$board_w" "$board_h" 410 94

known="$board"
notice=$(perf_wait_new_window "$known" 30) || e2e_fail "no notice at 10:00"
sleep 1
e2e_window_geometry "$notice"
expect_double notice "$WIN_W" "$WIN_H" 230 82 # 3450 x 1230 twips
perf_window_shot "$notice" notice
e2e_screenshot screen-notice
e2e_accessible_dump 5 >"$E2E_ARTIFACTS/accessible-notice.txt" 2>&1 || true
# OK (8 px from the right edge, 51 px down, 57 x 27 at 96 dpi) closes it, so
# that it does not cover the dialogs opened next in the middle of the screen.
xdotool mousemove --sync $((WIN_X + WIN_W - 2 * (8 + 28))) $((WIN_Y + 2 * (51 + 13))) click 1
gone() { ! xwininfo -id "$notice" 2>/dev/null | grep -q IsViewable; }
e2e_retry 5 gone || e2e_fail "OK did not close the notice at double density"
known="$known $notice"

# Presses $1 on the board, which needs the focus first (a click on its
# title label), and prints the window that opens.
key_on_board() {
    e2e_window_geometry "$board"
    xdotool mousemove --sync $((WIN_X + WIN_W / 2)) $((WIN_Y + 8)) click 1
    sleep 0.3
    xdotool key "$1"
    perf_wait_new_window "$known" 10
}

# F2 on the board opens the editor.
editor=$(key_on_board F2) || e2e_fail "F2 opened no editor"
sleep 1
e2e_window_geometry "$editor"
e2e_log "editor ${WIN_W}x$WIN_H"
editor_w=$WIN_W editor_h=$WIN_H
expect_double editor "$WIN_W" "$WIN_H" 463 321 # 6945 x 4815 twips
perf_window_shot "$editor" editor
e2e_screenshot screen-editor
known="$known $editor"

# The options dialog from the board's command menu ("□", then its mnemonic).
e2e_window_geometry "$board"
xdotool mousemove --sync $((WIN_X + 2 * 7)) $((WIN_Y + 2 * 8)) click 1
sleep 0.8
e2e_screenshot screen-menu
xdotool key o
options=$(perf_wait_new_window "$known" 10) || e2e_fail "the menu opened no options dialog"
sleep 1
e2e_window_geometry "$options"
e2e_log "options ${WIN_W}x$WIN_H"
options_w=$WIN_W options_h=$WIN_H
expect_double options "$WIN_W" "$WIN_H" 468 317 # 7020 x 4755 twips
perf_window_shot "$options" options
e2e_screenshot screen-options
e2e_accessible_dump 5 >"$E2E_ARTIFACTS/accessible-windows.txt" 2>&1 || true
known="$known $options"

# F1 on the board opens the help, a document a screen reader reads.
help=$(key_on_board F1) || e2e_fail "F1 opened no help"
sleep 1
perf_window_shot "$help" help
e2e_accessible_dump 5 >"$E2E_ARTIFACTS/accessible-help.txt" 2>&1 || true
printf 'board %sx%s\neditor %sx%s\noptions %sx%s\n' "$board_w" "$board_h" "$editor_w" "$editor_h" \
    "$options_w" "$options_h" >"$E2E_ARTIFACTS/sizes.txt"

# What a screen reader finds in the four windows: every control by its role
# and its own name.
dumps=("$E2E_ARTIFACTS/accessible-notice.txt" "$E2E_ARTIFACTS/accessible-windows.txt"
    "$E2E_ARTIFACTS/accessible-board.txt" "$E2E_ARTIFACTS/accessible-help.txt")
while IFS='|' read -r role names; do
    IFS=, read -ra each <<<"$names"
    for name in "${each[@]}"; do
        grep -qF "$role name='$name'" "${dumps[@]}" ||
            failures+=("no accessible $role named $name")
    done
done <<'EOF_TABLE'
frame|スケジュールヨルカLite
push button|コマンド,最小化,閉じる
label|スケジュールヨルカ
alert|通知 - 会議室
combo box|年,月,日,ステータス,時,分
text|行先,備考,時,分
list|登録されている予定
push button|取込(I)...
radio button|今日の予定（未到来）,到来済と明日以降,大,中,小
text|何分前に通知するか,何分すぎたら無視するか,サウンドファイル,表示速度,横位置（ピクセル）,縦位置（ピクセル）
push button|サウンドファイルを選ぶ,再生
panel|表示速度,サイズ,横位置,縦位置
list|予定
list item|こんど、10時、会議室、重要、資料持参
frame|スケジュールヨルカLite ﾍﾙﾌﾟ
document frame|スケジュールヨルカLite ヘルプ - 目次
push button|戻る(B),目次(H)
EOF_TABLE
grep -qF "alert name='通知 - 会議室' desc='会議室へ行く時刻になりました。\n（資料持参）'" "${dumps[0]}" ||
    failures+=("the notice's alert does not carry its message")
! grep -q "〓" "${dumps[@]}" || failures+=("the title is read as its row of 〓")
# The help's text is the document's, links and all.
grep -qF "document frame name='スケジュールヨルカLite ヘルプ - 目次' text='スケジュールヨルカLite ヘルプ" \
    "$E2E_ARTIFACTS/accessible-help.txt" || failures+=("the help document does not expose its text")
grep -q "document frame .*キー操作 — ボードで使えるキーの一覧" "$E2E_ARTIFACTS/accessible-help.txt" ||
    failures+=("the help document's text lacks its links")
# The board's cells are read through its rows, not one label at a time.
! grep -qE "label name='(こんど|会議室|1 0|：|0 0)'" "$E2E_ARTIFACTS/accessible-board.txt" ||
    failures+=("the board's cells are read as labels of their own")
((${#failures[@]} == 0)) || e2e_fail "${failures[*]}"
e2e_pass
