#!/usr/bin/env bash
# Finding the calendars from a server's address, against Radicale on
# 127.0.0.1 with two calendars that hold events (display names and
# colours) and one of tasks only: --calendars from the server's root and
# from /.well-known/caldav lists the two, not the tasks; --subscribe with
# --calendar subscribes to the one of that display name, whose events come
# and whose password goes to the secret store. A server that redirects to
# another host (127.0.0.2) after asking for the password never sees it
# there, through --calendars nor through a subscription's sync, and the
# user is told why. A subscription's new password is tried before it
# replaces the old one; its name and interval change, its copy and password
# following the name. --unsubscribe without a board removes the password.
# A published calendar over https with a certificate made here is refused
# with its SHA-256 fingerprint, subscribed once that fingerprint is
# trusted, and refused again, with the new fingerprint, once the server's
# certificate changes.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/dav_lib.sh
source "$(dirname "$0")/dav_lib.sh"
e2e_init "$@"
CLI_ENV=(QT_QPA_PLATFORM=offscreen)

readonly clock="@2027-03-15 09:00:00"
readonly password="pw-$RANDOM-$RANDOM"
for tool in /usr/bin/radicale gnome-keyring-daemon secret-tool curl openssl; do
    command -v "$tool" >/dev/null || e2e_fail "missing $tool (run scripts/setup)"
done

# --- servers ----------------------------------------------------------------------
e2e_start_dbus
dav_start_keyring
dav_start_radicale
server=http://127.0.0.1:$dav_port
mkcalendar() { # path, display name, colour, component
    curl -sf -o /dev/null -u "tanzo:$password" -X MKCALENDAR "$server/tanzo/$1/" \
        -H 'Content-Type: application/xml; charset=utf-8' --data-binary @- <<EOF_XML
<?xml version="1.0" encoding="utf-8"?>
<C:mkcalendar xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav" xmlns:I="http://apple.com/ns/ical/">
<D:set><D:prop><D:displayname>$2</D:displayname><I:calendar-color>$3</I:calendar-color>
<C:supported-calendar-component-set><C:comp name="$4"/></C:supported-calendar-component-set>
</D:prop></D:set></C:mkcalendar>
EOF_XML
}
mkcalendar work 仕事 '#3366CCFF' VEVENT || e2e_fail "MKCALENDAR failed"
mkcalendar family '家族 &amp; 友人' '#CC3333FF' VEVENT
mkcalendar tasks やること '#00AA00FF' VTODO
put() { # calendar, uid, start, summary
    printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//e2e//EN\r\nBEGIN:VEVENT\r\nUID:%s\r\nDTSTAMP:20270301T000000Z\r\nDTSTART:%s\r\nSUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
        "$2" "$3" "$4" >"$E2E_TMP/put.ics"
    curl -sf -o /dev/null -u "tanzo:$password" -T "$E2E_TMP/put.ics" \
        -H 'Content-Type: text/calendar' "$server/tanzo/$1/$2.ics"
}
put work w1 20270315T100000 会議 || e2e_fail "PUT failed"
put family f1 20270315T180000 夕食
put family f2 20270316T180000 誕生日

"$E2E_PYTHON" "$E2E_LIB_DIR/redirect_server.py" "$E2E_TMP/redirect.ports" \
    2>"$E2E_TMP/elsewhere.log" &
E2E_PIDS+=($!)
e2e_retry 10 test -s "$E2E_TMP/redirect.ports" || e2e_fail "the redirecting server did not start"
read -r here_port _ <"$E2E_TMP/redirect.ports"

# --- the calendars, from the root and from the well-known address -----------------------
CLI_IN=$E2E_TMP/password
printf '%s\n' "$password" >"$CLI_IN"
for start in "$server/" "$server/.well-known/caldav"; do
    cli --calendars "$start" --user tanzo --password-stdin
    [[ $CLI_STATUS -eq 0 && "$CLI_OUT" == *"仕事  $server/tanzo/work/  #3366CCFF"* &&
        "$CLI_OUT" == *"家族 & 友人  $server/tanzo/family/  #CC3333FF"* &&
        "$CLI_OUT" != *"やること"* && $(wc -l <"$E2E_TMP/cli.out") -eq 2 ]] ||
        e2e_fail "--calendars $start: [$CLI_STATUS] $CLI_OUT $CLI_ERR"
done
printf 'wrong\n' >"$CLI_IN"
cli --calendars "$server/" --user tanzo --password-stdin
[[ $CLI_STATUS -eq 1 && "$CLI_ERR" == *"利用者名かパスワードが違います"* ]] ||
    e2e_fail "a wrong password while looking for calendars: [$CLI_STATUS] $CLI_ERR"

# --- one chosen by its display name -------------------------------------------------------
printf '%s\n' "$password" >"$CLI_IN"
cli --subscribe "$server/" --calendar '家族 & 友人' --user tanzo --password-stdin
[[ $CLI_STATUS -eq 0 && "$CLI_OUT" == *"購読しました: 家族 & 友人（2件）"* ]] ||
    e2e_fail "--subscribe --calendar: [$CLI_STATUS] $CLI_OUT $CLI_ERR"
cli --subscribe "$server/" --calendar 'ない' --user tanzo --password-stdin
[[ $CLI_STATUS -eq 2 && "$CLI_ERR" == *"その表示名のカレンダーはありません: ない"*"仕事"* ]] ||
    e2e_fail "an unknown display name: [$CLI_STATUS] $CLI_ERR"
CLI_IN=/dev/null
cli --list --days 2
[[ "$CLI_OUT" == *"2027-03-15 18:00  普通    夕食  [家族 & 友人]"* &&
    "$CLI_OUT" == *"2027-03-16 18:00  普通    誕生日"* && "$CLI_OUT" != *"会議"* ]] ||
    e2e_fail "the chosen calendar's events: $CLI_OUT"
[[ "$(secret-tool lookup server "Tanzo calendar subscriptions" user '家族 & 友人')" == "$password" ]] ||
    e2e_fail "the password is not in the secret store"
# The list and the copies are the user's alone.
for f in "$XDG_CONFIG_HOME/Merovane/Tanzo/subscriptions.json" "$XDG_CACHE_HOME"/Merovane/Tanzo/subscriptions/*; do
    [[ "$(stat -c %a "$f")" == 600 ]] || e2e_fail "$f is not 0600: $(stat -c %a "$f")"
done
[[ "$(stat -c %a "$XDG_CACHE_HOME/Merovane/Tanzo/subscriptions")" == 700 ]] ||
    e2e_fail "the copies' folder is not 0700"

# --- a redirect to another host ---------------------------------------------------------
CLI_IN=$E2E_TMP/password
cli --calendars "http://127.0.0.1:$here_port/dav/" --user tanzo --password-stdin
[[ $CLI_STATUS -eq 1 && "$CLI_ERR" == *"パスワードを別のサーバーに渡さない"*"127.0.0.2"* ]] ||
    e2e_fail "--calendars through a redirect elsewhere: [$CLI_STATUS] $CLI_ERR"
cli --subscribe "http://127.0.0.1:$here_port/dav/cal/" --name 転送 --user tanzo --password-stdin
[[ $CLI_STATUS -eq 1 && "$CLI_ERR" == *"パスワードを別のサーバーに渡さない"* ]] ||
    e2e_fail "--subscribe through a redirect elsewhere: [$CLI_STATUS] $CLI_ERR"
! grep -q 'Authorization=yes' "$E2E_TMP/elsewhere.log" ||
    e2e_fail "the other host received the password: $(cat "$E2E_TMP/elsewhere.log")"

# --- changed: a wrong password leaves the good one; the name and interval change ---------------
lookup() { secret-tool lookup server "Tanzo calendar subscriptions" user "$1"; }
printf 'wrong\n' >"$CLI_IN"
cli --subscribe '家族 & 友人' --password-stdin
[[ $CLI_STATUS -eq 1 && "$CLI_ERR" == *"利用者名かパスワードが違います"* &&
    "$(lookup '家族 & 友人')" == "$password" ]] ||
    e2e_fail "a wrong new password was taken: [$CLI_STATUS] $CLI_ERR"
CLI_IN=/dev/null
cli --subscriptions
[[ "$CLI_OUT" == *"家族 & 友人  "*"正常  2件"* ]] ||
    e2e_fail "the refused password cost the subscription its status: $CLI_OUT"
cli --subscribe '家族 & 友人' --name 家族 --interval 30
[[ $CLI_STATUS -eq 0 && "$CLI_OUT" == *"購読を変えました: 家族"* ]] ||
    e2e_fail "rename: [$CLI_STATUS] $CLI_OUT $CLI_ERR"
grep -q '"refreshMinutes": 30' "$XDG_CONFIG_HOME/Merovane/Tanzo/subscriptions.json" ||
    e2e_fail "the interval did not change"
[[ "$(lookup 家族)" == "$password" && -z "$(lookup '家族 & 友人')" ]] ||
    e2e_fail "the password did not follow the new name"
cli --list --days 2
[[ "$CLI_OUT" == *"普通    夕食  [家族]"* ]] || e2e_fail "the renamed copy: $CLI_OUT"

# --- removed without a board: the password goes too --------------------------------------
cli --unsubscribe 家族
[[ $CLI_STATUS -eq 0 && -z "$CLI_ERR" ]] || e2e_fail "--unsubscribe: [$CLI_STATUS] $CLI_ERR"
[[ -z "$(lookup 家族)" ]] ||
    e2e_fail "--unsubscribe without a board left the password in the secret store"

# --- a server's own certificate ---------------------------------------------------------
tls_server() { # the certificate's name [port]; sets tls_pid and tls_port
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj /CN=127.0.0.1 \
        -addext subjectAltName=IP:127.0.0.1 -keyout "$E2E_TMP/$1.key" -out "$E2E_TMP/$1.pem" \
        2>/dev/null || e2e_fail "openssl could not make a certificate"
    rm -f "$E2E_TMP/tls.port"
    "$E2E_PYTHON" "$E2E_LIB_DIR/tls_server.py" "$E2E_TMP/holidays.ics" "$E2E_TMP/$1.pem" \
        "$E2E_TMP/$1.key" "$E2E_TMP/tls.port" "${2:-0}" 2>"$E2E_TMP/tls-$1.log" &
    tls_pid=$!
    E2E_PIDS+=("$tls_pid")
    e2e_retry 10 test -s "$E2E_TMP/tls.port" || e2e_fail "the https server did not start"
    tls_port=$(cat "$E2E_TMP/tls.port")
}
fingerprint() { openssl x509 -in "$E2E_TMP/$1.pem" -noout -fingerprint -sha256 | cut -d= -f2; }
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//e2e//EN\r\nBEGIN:VEVENT\r\nUID:h1\r\nDTSTAMP:20270301T000000Z\r\nDTSTART:20270315T120000\r\nSUMMARY:昼会\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
    >"$E2E_TMP/holidays.ics"
tls_server first
first=$(fingerprint first)
cli --subscribe "https://127.0.0.1:$tls_port/team.ics" --name 自前
[[ $CLI_STATUS -eq 1 && "$CLI_ERR" == *"SHA-256 指紋: $first"* && "$CLI_ERR" == *"--trust-fingerprint"* ]] ||
    e2e_fail "an untrusted certificate was not refused with its fingerprint: [$CLI_STATUS] $CLI_ERR"
cli --subscribe "https://127.0.0.1:$tls_port/team.ics" --name 自前 --trust-fingerprint "$first"
[[ $CLI_STATUS -eq 0 && "$CLI_OUT" == *"購読しました: 自前（1件）"* ]] ||
    e2e_fail "the trusted certificate was refused: [$CLI_STATUS] $CLI_OUT $CLI_ERR"

kill "$tls_pid"
e2e_wait_exit "$tls_pid" 5 || e2e_fail "the https server did not stop"
tls_server second "$tls_port" # the same address, another certificate
cli --sync
[[ $CLI_STATUS -eq 1 && "$CLI_ERR" == *"自前: サーバーの証明書が、信頼したものから変わっています"*"$(fingerprint second)"* ]] ||
    e2e_fail "a changed certificate was not refused: [$CLI_STATUS] $CLI_ERR"
cli --list
[[ "$CLI_OUT" == *"12:00  普通    昼会  [自前]"* ]] || e2e_fail "the last copy was not kept: $CLI_OUT"
e2e_pass
