#!/usr/bin/env bash
# Calendar subscriptions against real servers on 127.0.0.1: a Radicale CalDAV
# calendar (made with MKCALENDAR, events PUT into it, a plain htpasswd user)
# and a published .ics served with an ETag. Subscribed through the running
# board, the events show on the board and in --list with their
# subscription's name, and a start notice opens at its time. A change and a
# deletion on the server show after --sync; the unchanged feed is not
# fetched again (304). A wrong password is refused with a clear reason, the
# same address a second time with exit status 2. An event's own reminder
# (a VALARM 90 minutes before) opens its advance notice at its time and is
# kept as given. A
# local file's all-day event of tomorrow, without LOCATION, shows in --list
# as 終日 with no place, emoji kept. The server
# stopped and the file removed: --sync fails and says why for each, and the
# last copies stay, also for a board started again. The password is in the secret store (gnome-keyring on the
# test's D-Bus) and nowhere in the program's files, and TANZO.DAT is byte
# for byte what it was.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/board_lib.sh
source "$(dirname "$0")/board_lib.sh"
# shellcheck source=tests/e2e/dav_lib.sh
source "$(dirname "$0")/dav_lib.sh"
e2e_init "$@"

readonly clock="@2027-03-15 09:54:15"
readonly password="pw-$RANDOM-$RANDOM"
for tool in /usr/bin/radicale gnome-keyring-daemon secret-tool curl; do
    command -v "$tool" >/dev/null || e2e_fail "missing $tool (run scripts/setup)"
done

event() { # uid, start (local, yyyymmddThhmmss), place
    printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//e2e//EN\r\nBEGIN:VEVENT\r\nUID:%s\r\nDTSTAMP:20270301T000000Z\r\nDTSTART:%s\r\nSUMMARY:%s\r\nLOCATION:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
        "$1" "$2" "$3" "$3"
}

# --- servers --------------------------------------------------------------------
e2e_start_desktop
dav_start_keyring
dav_start_radicale
dav=http://127.0.0.1:$dav_port/tanzo/work/
davcurl() { curl -sf -o /dev/null -u "tanzo:$password" "$@"; }
davcurl -X MKCALENDAR "$dav" || e2e_fail "MKCALENDAR failed"
put() {
    event "$1" "$2" "$3" >"$E2E_TMP/put.ics"
    davcurl -T "$E2E_TMP/put.ics" -H 'Content-Type: text/calendar' "$dav$1.ics"
}
put start 20270315T095500 会議A || e2e_fail "PUT failed"
# Its own reminder 90 minutes before comes in the same minute as 会議A's
# start; the board's advance notice (5 minutes) would be at 11:20.
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//e2e//EN\r\nBEGIN:VEVENT\r\nUID:dentist\r\nDTSTAMP:20270301T000000Z\r\nDTSTART:20270315T112500\r\nSUMMARY:歯医者\r\nLOCATION:歯医者\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:歯医者\r\nTRIGGER:-PT90M\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
    >"$E2E_TMP/put.ics"
davcurl -T "$E2E_TMP/put.ics" -H 'Content-Type: text/calendar' "${dav}dentist.ics"
put moved 20270316T100000 移動B
put gone 20270316T120000 中止C

event feed1 20270317T083000 朝礼D >"$E2E_TMP/team.ics"
"$E2E_PYTHON" "$E2E_LIB_DIR/ics_server.py" "$E2E_TMP/team.ics" "$E2E_TMP/feed.port" \
    2>"$E2E_TMP/feed.log" &
E2E_PIDS+=($!)
e2e_retry 10 test -s "$E2E_TMP/feed.port" || e2e_fail "the .ics server did not start"
# A published link without ".ics" in its path: taken for CalDAV at first,
# found to be a plain calendar when the server knows no PROPFIND.
feed=http://127.0.0.1:$(cat "$E2E_TMP/feed.port")/published/team

e2e_write_data_file <<EOF_DATA
$(e2e_day_serial 2027-03-16),.4583333,3,"本社     ","自分の予定",0,0
EOF_DATA
data_sum=$(sha256sum <"$TANZO_DATA_FILE")

# --- subscribed through the board -------------------------------------------------
e2e_start_tanzo --faketime "$clock"
e2e_wait_board >/dev/null

CLI_IN=$E2E_TMP/password
printf '%s\n' "$password" >"$CLI_IN"
cli --subscribe "$dav" --name 仕事 --user tanzo --password-stdin
[[ $CLI_STATUS -eq 0 && "$CLI_OUT" == *"購読しました: 仕事（4件）"* ]] ||
    e2e_fail "--subscribe of the CalDAV calendar: [$CLI_STATUS] $CLI_OUT $CLI_ERR"
printf 'wrong\n' >"$CLI_IN"
cli --subscribe "http://127.0.0.1:$dav_port/tanzo/private/" --name 間違い --user tanzo \
    --password-stdin
[[ $CLI_STATUS -eq 1 && "$CLI_ERR" == *"利用者名かパスワードが違います"* ]] ||
    e2e_fail "a wrong password was not refused clearly: [$CLI_STATUS] $CLI_ERR"
CLI_IN=/dev/null
cli --subscribe "${dav%/}" --name 二重
[[ $CLI_STATUS -eq 2 && "$CLI_ERR" == *"同じアドレスの購読があります: 仕事"* ]] ||
    e2e_fail "the same address was subscribed twice: [$CLI_STATUS] $CLI_OUT $CLI_ERR"
cli --subscribe "$feed" --name チーム
[[ $CLI_STATUS -eq 0 ]] || e2e_fail "--subscribe of the feed: [$CLI_STATUS] $CLI_ERR"
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//e2e//EN\r\nBEGIN:VEVENT\r\nUID:equinox\r\nDTSTAMP:20270301T000000Z\r\nDTSTART;VALUE=DATE:20270316\r\nSUMMARY:春分の日🎌\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
    >"$E2E_TMP/holidays.ics"
cli --subscribe "$E2E_TMP/holidays.ics" --name 祝日
[[ $CLI_STATUS -eq 0 && "$CLI_OUT" == *"購読しました: 祝日（1件）"* ]] ||
    e2e_fail "--subscribe of the local file: [$CLI_STATUS] $CLI_OUT $CLI_ERR"

e2e_wait_text "会議A" 15 || e2e_fail "the board does not show the subscribed appointment"
cli --list --days 3
[[ "$CLI_OUT" == *"2027-03-15 09:55  普通  会議A  会議A  [仕事]"* &&
    "$CLI_OUT" == *"2027-03-16 10:00  普通  移動B  移動B  [仕事]"* &&
    "$CLI_OUT" == *"2027-03-16 11:00  普通  本社  自分の予定"* &&
    "$CLI_OUT" != *"本社  自分の予定  ["* &&
    "$CLI_OUT" == *"2027-03-16 終日  普通    春分の日🎌  [祝日]"* &&
    "$CLI_OUT" == *"2027-03-17 08:30  普通  朝礼D  朝礼D  [チーム]"* ]] ||
    e2e_fail "--list through the board: $CLI_OUT"
e2e_screenshot subscribed

# --- the notice at its time -----------------------------------------------------------
board_wait_titled "通知 - 会議A" 75 >/dev/null || e2e_fail "no start notice for the subscribed appointment"
board_wait_titled "予告 - 歯医者" 5 >/dev/null || e2e_fail "no notice for the event's own reminder"
e2e_screenshot notice
# Kept as given beside the other notice flags, so that it does not come again.
e2e_retry 10 grep -rqF 'dentist|2027-03-15|685|alarm|' "$XDG_CACHE_HOME" ||
    e2e_fail "the reminder given is not kept with the notice flags"

# --- changed and deleted on the server; the feed unchanged ------------------------------
put moved 20270316T140000 移動B
davcurl -X DELETE "${dav}gone.ics" || e2e_fail "DELETE failed"
davcurl -X DELETE "${dav}dentist.ics" || e2e_fail "DELETE failed"
cli --sync
[[ $CLI_STATUS -eq 0 ]] || e2e_fail "--sync: [$CLI_STATUS] $CLI_ERR"
cli --list --days 3
[[ "$CLI_OUT" == *"2027-03-16 14:00  普通  移動B"* && "$CLI_OUT" != *"10:00  普通  移動B"* &&
    "$CLI_OUT" != *"中止C"* ]] || e2e_fail "the change and the deletion are not reflected: $CLI_OUT"
grep -q '^GET 304' "$E2E_TMP/feed.log" || e2e_fail "the unchanged feed was fetched whole again"

# --- the server away ----------------------------------------------------------------
kill "$radicale_pid"
e2e_wait_exit "$radicale_pid" 5 || e2e_fail "radicale did not stop"
rm "$E2E_TMP/holidays.ics"
cli --sync
[[ $CLI_STATUS -eq 1 && "$CLI_ERR" == *"仕事: サーバーが応答しませんでした"* &&
    "$CLI_ERR" == *"祝日: ファイルがありません"* ]] ||
    e2e_fail "--sync with the server away and the file gone: [$CLI_STATUS] $CLI_ERR"
cli --subscriptions
[[ "$CLI_OUT" == *"仕事  $dav"*"サーバーが応答しませんでした"*"2件"* &&
    "$CLI_OUT" == *"祝日  "*"ファイルがありません"*"1件"* ]] ||
    e2e_fail "--subscriptions does not tell the failures: $CLI_OUT"
cli --list --days 3
[[ "$CLI_OUT" == *"2027-03-16 14:00  普通  移動B"* ]] || e2e_fail "the last copy was not kept: $CLI_OUT"
e2e_wait_text "会議A" 5 || e2e_fail "the board lost the subscribed appointment"

# --- where the password is, and is not ----------------------------------------------
[[ "$(secret-tool lookup server "Tanzo calendar subscriptions" user 仕事)" == "$password" ]] ||
    e2e_fail "the password is not in the secret store"
! grep -rqF -- "$password" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$TANZO_DATA_DIR" ||
    e2e_fail "the password was written into the program's files"

kill -TERM "$TANZO_PID"
e2e_wait_tanzo_exit 10 || e2e_fail "the board did not exit"
[[ "$(sha256sum <"$TANZO_DATA_FILE")" == "$data_sum" ]] || e2e_fail "TANZO.DAT changed"

# Started again with the CalDAV server still away: the last copy is there at
# once, and the notice given for 会議A is remembered, so the board does not
# offer it again as the next appointment.
e2e_start_tanzo --faketime "$clock" --log tanzo-again.log
e2e_wait_board >/dev/null
e2e_wait_text "本日の予定は終了しました" 10 ||
    e2e_fail "the board offers the subscribed appointment whose notice was given"
cli --list --days 2
[[ "$CLI_OUT" == *"09:55  普通  会議A  会議A  [仕事]"* && "$CLI_OUT" == *"14:00  普通  移動B"* ]] ||
    e2e_fail "the last copy is not there at start without the server: $CLI_OUT"
kill -TERM "$TANZO_PID"
e2e_wait_tanzo_exit 10 || e2e_fail "the board did not exit the second time"
[[ "$(sha256sum <"$TANZO_DATA_FILE")" == "$data_sum" ]] || e2e_fail "TANZO.DAT changed"
e2e_pass
