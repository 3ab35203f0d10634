#!/usr/bin/env bash
# The command line: with no board running (and no X server) --add writes the
# data file and --list prints it as UTF-8; every bad input ends with its
# status and message and writes nothing; with a board running, --add is
# handed to it, the board shows the appointment at once, and the data file
# holds it after exit. Twenty commands at once against the board each get
# their answer, and a board started while a command writes without one
# waits for it and comes up.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

readonly clock="@2027-03-15 09:50:00"
today=$(e2e_day_serial 2027-03-15)

# Runs tanzo with arguments at the test's clock.
cli_run() {
    # verify_asan_link_order: the clock library comes before a sanitizer
    # build's runtime, as in e2e_start_tanzo.
    env LD_PRELOAD="$E2E_FAKETIME_LIB" FAKETIME="$clock" FAKETIME_DONT_RESET=1 \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
        timeout 20 "$TANZO_BIN" "$@"
}

# The same; sets CLI_STATUS, CLI_OUT, CLI_ERR.
cli() {
    CLI_STATUS=0
    cli_run "$@" >"$E2E_TMP/cli.out" 2>"$E2E_TMP/cli.err" || CLI_STATUS=$?
    CLI_OUT=$(cat "$E2E_TMP/cli.out")
    CLI_ERR=$(cat "$E2E_TMP/cli.err")
    printf '$ tanzo %s\n[%s]\n%s\n%s\n' "$*" "$CLI_STATUS" "$CLI_OUT" "$CLI_ERR" >>"$E2E_ARTIFACTS/cli.txt"
}

# --- no board -------------------------------------------------------------------
e2e_write_data_file <<EOF_DATA
$today,.5,3,"本社     ","定例",0,0
EOF_DATA
cli --add 2027-03-16 10:30 会議室 資料持参 --importance 重要
[[ $CLI_STATUS -eq 0 ]] || e2e_fail "--add without a board ended with $CLI_STATUS: $CLI_ERR"
grep -qF '"会議室    ","資料持参",0,0' <(e2e_read_data_file) || e2e_fail "--add did not write the data file"
cli --list --days 2
[[ $CLI_STATUS -eq 0 ]] || e2e_fail "--list ended with $CLI_STATUS"
expected=$'2027-03-15 12:00  普通  本社  定例\n2027-03-16 10:30  重要  会議室  資料持参'
[[ "$CLI_OUT" == "$expected" ]] || e2e_fail "--list printed: $CLI_OUT"
cli --list
[[ "$CLI_OUT" == "2027-03-15 12:00  普通  本社  定例" ]] || e2e_fail "--list (today) printed: $CLI_OUT"
# Every help option the help lists gives the help, in Japanese.
for option in --help -h '-?'; do
    cli "$option"
    [[ $CLI_STATUS -eq 0 && "$CLI_OUT" == *"この説明を表示します。"* && "$CLI_OUT" == *--export* ]] ||
        e2e_fail "tanzo $option ended with $CLI_STATUS and printed: $CLI_OUT $CLI_ERR"
done

# Without a screen the board says why in one line and ends with 1, instead of
# the toolkit's abort.
for display in "" :4321; do
    DISPLAY=$display WAYLAND_DISPLAY="" QT_QPA_PLATFORM="" cli
    [[ $CLI_STATUS -eq 1 && "$CLI_ERR" == "tanzo: "*画面* && $(wc -l <<<"$CLI_ERR") -eq 1 ]] ||
        e2e_fail "tanzo with DISPLAY='$display' ended with $CLI_STATUS and said: $CLI_ERR"
done

printf 'hello\n' >"$E2E_TMP/notes.ics"
before=$(md5sum <"$TANZO_DATA_FILE")
# arguments | status | part of the message
while IFS='|' read -r args status message; do
    read -ra argv <<<"$args"
    cli "${argv[@]}"
    [[ $CLI_STATUS -eq $status ]] || e2e_fail "tanzo $args ended with $CLI_STATUS, not $status"
    [[ "$CLI_ERR" == *"$message"* ]] || e2e_fail "tanzo $args said: $CLI_ERR"
    [[ -z "$CLI_OUT" ]] || e2e_fail "tanzo $args printed on standard output: $CLI_OUT"
done <<EOF_TABLE
--add 2027-02-30 10:00 本社|2|日付が正しくありません
--add 2027-03-16 25:00 本社|2|開始時刻が正しくありません
--add 2027-03-16 10:00 本社 --importance 特急|2|重要度は 最重要、重要、普通
--add 2027-03-16 10:00 第一会議室東館三階|2|行先は7文字以内
--add 2027-03-25 10:00 本社|2|今日から6日後まで
--add 2027-03-15 09:00 本社|2|開始時刻が過ぎています
--add 2027-03-16 10:30 会議室|2|既に登録されています
--add 2027-03-16 10:00 ☃|2|シフトJIS
--add 2027-03-16|2|日付 時刻 行先
--import $E2E_TMP/notes.ics|2|iCalendar形式のファイルではありません
--import $E2E_TMP/missing.ics|2|読み込めませんでした
--list --days 9|2|日数は1から7
--list --add|2|どれか一つ
--frobnicate|2|frobnicate
EOF_TABLE
[[ $(md5sum <"$TANZO_DATA_FILE") == "$before" ]] || e2e_fail "a refused command changed the data file"

# --- a running board ------------------------------------------------------------
e2e_start_desktop
e2e_start_tanzo --faketime "$clock"
e2e_wait_board >/dev/null
e2e_wait_text "本社" 15 || e2e_fail "the board never showed the 12:00 appointment"
cli --add 2027-03-15 11:00 ﾃｽﾄ会議 メモ --importance 最重要
[[ $CLI_STATUS -eq 0 ]] || e2e_fail "--add to the board ended with $CLI_STATUS: $CLI_ERR"
e2e_wait_text "ﾃｽﾄ会議" 5 || e2e_fail "the board did not show the added appointment"
e2e_screenshot board-after-add
cli --list
[[ "$CLI_OUT" == *"11:00  最重要  ﾃｽﾄ会議  メモ"* ]] || e2e_fail "--list through the board printed: $CLI_OUT"
cli --export "$E2E_TMP/week.ics"
[[ $CLI_STATUS -eq 0 ]] && grep -q '^LOCATION:ﾃｽﾄ会議' "$E2E_TMP/week.ics" ||
    e2e_fail "--export through the board did not write the appointments"

# Twenty at once: each is answered when the board has written it, and says so.
pids=()
for i in $(seq 10 29); do
    cli_run --add 2027-03-15 "13:$i" "並列$i" >/dev/null 2>"$E2E_TMP/parallel-$i.err" &
    pids+=("$!")
done
for k in "${!pids[@]}"; do
    status=0
    wait "${pids[k]}" || status=$?
    [[ $status -eq 0 ]] ||
        e2e_fail "parallel --add $((k + 10)) ended with $status: $(cat "$E2E_TMP/parallel-$((k + 10)).err")"
done
added=$(e2e_read_data_file | grep -c '"並列')
[[ $added -eq 20 ]] || e2e_fail "$added of the 20 parallel appointments are in the data file"

# The close label: the exit writes the board's list.
board=$(e2e_wait_board)
e2e_click_in "$board" $((388 + 15 / 2)) $((1 + 16 / 2))
e2e_wait_tanzo_exit 10 || e2e_fail "the program kept running after the close label was clicked"
grep -qF '"ﾃｽﾄ会議  ","メモ",0,0' <(e2e_read_data_file) ||
    e2e_fail "the data file lacks the appointment added through the board"

# --- a board started while a command writes without one --------------------------
# A command line in the middle of its write holds the write lock; here a
# process that lives three seconds stands for it. The board waits for it,
# then comes up.
sleep 3 &
writer=$!
printf '%s\nsleep\n%s\n' "$writer" "$(hostname)" >"$XDG_RUNTIME_DIR/tanzo-write.lock"
e2e_start_tanzo --faketime "$clock" --log tanzo-after-writer.log
e2e_wait_board 20 >/dev/null || e2e_fail "a board started while a command wrote did not come up"
kill -0 "$writer" 2>/dev/null && e2e_fail "the board came up while the command still wrote"
e2e_log "the board came up once the writer had finished"
wait "$writer" || true
board=$(e2e_wait_board)
# The pointer still rests where the last board's close label was; a move to
# the same place would wait for motion that never comes.
xdotool mousemove 0 0
e2e_click_in "$board" $((388 + 15 / 2)) $((1 + 16 / 2))
e2e_wait_tanzo_exit 10 || e2e_fail "the program kept running after the close label was clicked"

# And a real one: an import without a board, with a board started beside it.
cp "$(dirname "$0")/../calendar/data/weekly.ics" "$E2E_TMP/weekly.ics"
cli_run --import "$E2E_TMP/weekly.ics" >"$E2E_TMP/import.out" 2>&1 &
importer=$!
e2e_start_tanzo --faketime "$clock" --log tanzo-beside-import.log
status=0
wait "$importer" || status=$?
[[ $status -eq 0 ]] || e2e_fail "the import beside a starting board ended with $status: $(cat "$E2E_TMP/import.out")"
e2e_wait_board 20 >/dev/null || e2e_fail "a board started beside a command line's import did not come up"
e2e_pass
