#!/usr/bin/env bash
# The command line: with no board running (and no X server) --add writes the
# data file and --list prints it as UTF-8; every bad input ends with its
# status and message and writes nothing; with a board running, --add is
# handed to it, the board shows the appointment at once, and the data file
# holds it after exit. Two hundred commands at once against the board each
# get their answer; a crowd of idle connections, a removed socket or a
# stopped board never leave the channel dead or a failed command applied
# later; a second board on the same data file does not start whatever its
# runtime directory; and a board started while a command writes without
# one waits for it and comes up.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

readonly clock="@2027-03-15 09:50:00"
today=$(e2e_day_serial 2027-03-15)

# Runs tanzo with arguments at the test's clock.
cli_run() {
    # verify_asan_link_order: the clock library comes before a sanitizer
    # build's runtime, as in e2e_start_tanzo. The monotonic clock stays
    # real, as the board's: a command's deadline is read on it by both.
    env LD_PRELOAD="$E2E_FAKETIME_LIB" FAKETIME="$clock" FAKETIME_DONT_RESET=1 \
        DONT_FAKE_MONOTONIC=1 FAKETIME_DONT_FAKE_MONOTONIC=1 \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
        timeout 60 "$TANZO_BIN" "$@"
}

# The same; sets CLI_STATUS, CLI_OUT, CLI_ERR.
cli() {
    CLI_STATUS=0
    cli_run "$@" >"$E2E_TMP/cli.out" 2>"$E2E_TMP/cli.err" || CLI_STATUS=$?
    CLI_OUT=$(cat "$E2E_TMP/cli.out")
    CLI_ERR=$(cat "$E2E_TMP/cli.err")
    printf '$ tanzo %s\n[%s]\n%s\n%s\n' "$*" "$CLI_STATUS" "$CLI_OUT" "$CLI_ERR" >>"$E2E_ARTIFACTS/cli.txt"
}

fixtures=$(cd "$(dirname "$0")/../calendar/data" && pwd)
readonly fixtures

# Sends one request line ($2, a listing by default) to the board's socket at
# $1 and prints the answer line, or nothing when the board closes the
# connection.
ask_socket() {
    local request=${2:-'{"kind":0,"days":1}'}
    "$E2E_PYTHON" - "$1" "$request" <<'EOF_PY'
import socket, sys
s = socket.socket(socket.AF_UNIX)
s.settimeout(5)
s.connect(sys.argv[1])
data = b''
try:
    # A board that refuses the peer may close before the request is sent.
    s.sendall(sys.argv[2].encode() + b'\n')
    # An empty line first says the board has taken the request.
    while not data.lstrip(b'\n').endswith(b'\n'):
        chunk = s.recv(65536)
        if not chunk:
            break
        data += chunk
except OSError:
    pass
print(data.lstrip(b'\n').decode(errors='replace'), end='')
EOF_PY
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

# Input-method look-alikes are stored as the code page's own characters,
# control characters are dropped, and the terminal never gets them.
cli --add 2027-03-16 11:00 本社 $'9時〜10時 −‖ \e[31m赤'
[[ $CLI_STATUS -eq 0 ]] || e2e_fail "--add with look-alikes ended with $CLI_STATUS: $CLI_ERR"
grep -qF '"9時～10時 －∥ [31m赤"' <(e2e_read_data_file) || e2e_fail "the look-alikes were not stored as code page 932 characters"
cli --list --days 2
[[ "$CLI_OUT" != *$'\e'* && "$CLI_OUT" == *"9時～10時"* ]] || e2e_fail "--list printed: $CLI_OUT"
# A tab or line break in typed text becomes one space: the data file's lines
# hold no such character.
cli --add 2027-03-16 11:30 本社 $'前\t中\n後'
grep -qF '"本社     ","前 中 後",0,0' <(e2e_read_data_file) || e2e_fail "a tab or line break was not stored as a space"

# Folders the program makes are the user's alone, and so is a new data
# file; a data file that was there keeps its mode.
chmod 644 "$TANZO_DATA_FILE"
XDG_DATA_HOME="$E2E_TMP/fresh" cli --add 2027-03-16 12:00 本社
[[ $CLI_STATUS -eq 0 ]] || e2e_fail "--add into a new data folder ended with $CLI_STATUS: $CLI_ERR"
modes=$(stat -c '%a' "$E2E_TMP/fresh/Merovane" "$E2E_TMP/fresh/Merovane/Tanzo" "$E2E_TMP/fresh/Merovane/Tanzo/TANZO.DAT" | tr '\n' ' ')
[[ "$modes" == "700 700 600 " ]] || e2e_fail "the new folders and data file have the modes $modes"
[[ $(stat -c '%a' "$TANZO_DATA_FILE") == 644 ]] || e2e_fail "the existing data file's mode was changed"

# What is not a regular file is refused at once; a file whose structure is
# broken says why, and libical's own complaints stay off the terminal.
mkfifo "$E2E_TMP/pipe.ics"
for source in "$E2E_TMP/pipe.ics" /dev/zero; do
    started=$SECONDS
    cli --import "$source"
    [[ $CLI_STATUS -eq 2 && "$CLI_ERR" == *"通常のファイルではない"* && $((SECONDS - started)) -lt 5 ]] ||
        e2e_fail "--import $source ended with $CLI_STATUS after $((SECONDS - started)) s: $CLI_ERR"
done
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nSUMMARY:a\0b\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' >"$E2E_TMP/nul.ics"
awk 'BEGIN { printf "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"; for (i = 0; i < 20000; i++) printf "BEGIN:VEVENT\r\n"; printf "END:VEVENT\r\nEND:VCALENDAR\r\n" }' >"$E2E_TMP/nested.ics"
while IFS='|' read -r name message; do
    cli --import "$E2E_TMP/$name"
    [[ $CLI_STATUS -eq 2 && "$CLI_ERR" == *"$message"* && $(wc -l <<<"$CLI_ERR") -eq 1 ]] ||
        e2e_fail "--import $name ended with $CLI_STATUS: $CLI_ERR"
done <<'EOF_BROKEN'
nul.ics|NUL文字
nested.ics|入れ子が
EOF_BROKEN

# Without a usable runtime directory the program makes its own, private one;
# where that name is taken by another user it puts nothing there, and works
# on the data file alone under the data file's own write lock.
shared=$(mktemp -d "${TMPDIR:-/tmp}/tanzo-shared.XXXXXX")
chmod 1777 "$shared"
XDG_RUNTIME_DIR="" TMPDIR="$shared" cli --list
[[ $CLI_STATUS -eq 0 && $(stat -c '%a %u' "$shared/tanzo-$(id -u)") == "700 $(id -u)" ]] ||
    e2e_fail "without XDG_RUNTIME_DIR the private directory was not made: $CLI_STATUS $CLI_ERR"
rm -rf "${shared:?}/tanzo-$(id -u)"
# Playing the other user takes root.
if ((EUID == 0)); then
    setpriv --reuid=nobody --regid=nogroup --clear-groups mkdir -m 777 "$shared/tanzo-$(id -u)"
    XDG_RUNTIME_DIR="$shared" TMPDIR="$shared" cli --list
    [[ $CLI_STATUS -eq 0 && "$CLI_OUT" == *"本社"* ]] ||
        e2e_fail "without a private directory --list ended with $CLI_STATUS: $CLI_ERR"
    [[ -z $(ls -A "$shared/tanzo-$(id -u)") && $(ls -A "$shared") == "tanzo-$(id -u)" ]] ||
        e2e_fail "something was created in a shared directory: $(ls -AR "$shared")"
else
    e2e_log "not root: the directory of another user is not tried"
fi
rm -rf "$shared"

# Every form of bad input is checked in-process (tests/app/CommandLineTest.cpp);
# here one of each kind shows the status, the message and the untouched file
# through the program itself: an unknown option, a single-dash word (not the
# board), an argument the locale must decode, and a clash with the file.
before=$(md5sum <"$TANZO_DATA_FILE")
# arguments | status | part of the message
while IFS='|' read -r args status message; do
    read -ra argv <<<"$args"
    cli "${argv[@]}"
    [[ $CLI_STATUS -eq $status ]] || e2e_fail "tanzo $args ended with $CLI_STATUS, not $status"
    [[ "$CLI_ERR" == *"$message"* ]] || e2e_fail "tanzo $args said: $CLI_ERR"
    [[ -z "$CLI_OUT" ]] || e2e_fail "tanzo $args printed on standard output: $CLI_OUT"
done <<EOF_TABLE
--frobnicate|2|frobnicate
-list|2|使えないオプション
--add 2027-03-16 10:00 ☃|2|シフトJIS
--add 2027-03-16 10:30 会議室|2|既に登録されています
EOF_TABLE
[[ $(md5sum <"$TANZO_DATA_FILE") == "$before" ]] || e2e_fail "a refused command changed the data file"

# --- a running board ------------------------------------------------------------
# A desktop's usual descriptor limit, which idle connections once used up.
ulimit -Sn 1024
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

# Two hundred at once, more than a listen queue of old held: each is
# answered when the board has written it, and says so. Each one's time is
# kept for the log.
pids=()
for i in $(seq 0 199); do
    (
        start=$(date +%s%N)
        status=0
        cli_run --add 2027-03-15 "$(printf '%02d:%02d' $((13 + i / 60)) $((i % 60)))" "並列$i" \
            >/dev/null 2>"$E2E_TMP/parallel-$i.err" || status=$?
        echo "$((($(date +%s%N) - start) / 1000000)) $status" >"$E2E_TMP/parallel-$i.time"
        exit "$status"
    ) &
    pids+=("$!")
done
for k in "${!pids[@]}"; do
    status=0
    wait "${pids[k]}" || status=$?
    [[ $status -eq 0 ]] ||
        e2e_fail "parallel --add $k ended with $status: $(cat "$E2E_TMP/parallel-$k.err")"
done
added=$(e2e_read_data_file | grep -c '"並列')
[[ $added -eq 200 ]] || e2e_fail "$added of the 200 parallel appointments are in the data file"
cat "$E2E_TMP"/parallel-*.time | sort -n | awk '{ ms[NR] = $1 } END {
    printf "200 parallel --add: median %d ms, worst %d ms\n", ms[int((NR + 1) / 2)], ms[NR] }' |
    tee -a "$E2E_ARTIFACTS/parallel.txt" >&2

# A crowd of idle connections, more than the board has descriptors, and
# one that sends half a request: a command still gets through, and the
# half request is dropped within seconds.
"$E2E_PYTHON" - "$XDG_RUNTIME_DIR/tanzo-commands" "$E2E_TMP/idle" <<'EOF_PY' &
import os, resource, socket, sys, time
path, flag = sys.argv[1], sys.argv[2]
soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
want = 1100
resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, want + 100), hard))
want = min(want, min(hard, want + 100) - 50)
half = socket.socket(socket.AF_UNIX)
half.connect(path)
half.sendall(b'{"kind":0')
held = []
deadline = time.time() + 20
while len(held) < want and time.time() < deadline:
    s = socket.socket(socket.AF_UNIX)
    s.setblocking(False)
    try:
        s.connect(path)
        held.append(s)
    except BlockingIOError:
        s.close()
        time.sleep(0.01)
print(f"holding {len(held)} idle connections", file=sys.stderr)
open(flag + '.ready', 'w').write(str(len(held)))
half.settimeout(10)
try:
    dropped = half.recv(1) == b''
except OSError:
    dropped = True
open(flag + '.half', 'w').write('dropped' if dropped else 'kept')
while not os.path.exists(flag + '.done') and time.time() < deadline + 30:
    time.sleep(0.1)
EOF_PY
idler=$!
e2e_retry 30 test -e "$E2E_TMP/idle.ready" || e2e_fail "the idle connections were never made"
(($(cat "$E2E_TMP/idle.ready") >= 1000)) || e2e_fail "only $(cat "$E2E_TMP/idle.ready") idle connections could be made"
cli --list
[[ $CLI_STATUS -eq 0 && "$CLI_OUT" == *"並列0"* ]] ||
    e2e_fail "beside the idle connections --list ended with $CLI_STATUS: $CLI_ERR"
e2e_retry 15 test -e "$E2E_TMP/idle.half" || e2e_fail "the half request was never answered nor dropped"
[[ $(cat "$E2E_TMP/idle.half") == dropped ]] || e2e_fail "the half request was held open"
touch "$E2E_TMP/idle.done"
wait "$idler" || true
kill -0 "$TANZO_PID" || e2e_fail "the board ended under the idle connections"

# A socket file removed from under the board is made again.
rm "$XDG_RUNTIME_DIR/tanzo-commands"
e2e_retry 10 test -S "$XDG_RUNTIME_DIR/tanzo-commands" || e2e_fail "the removed socket was not made again"
cli --list
[[ $CLI_STATUS -eq 0 ]] || e2e_fail "after the socket was made again --list ended with $CLI_STATUS: $CLI_ERR"

# A board that is stopped: the command gives up, says it was not carried
# out, and the board does not carry it out when it goes on.
kill -STOP "$TANZO_PID"
cli --add 2027-03-15 18:00 停止中
kill -CONT "$TANZO_PID"
[[ $CLI_STATUS -eq 1 && "$CLI_ERR" == *"実行されていません"* ]] ||
    e2e_fail "--add to a stopped board ended with $CLI_STATUS: $CLI_ERR"
cli --list
[[ $CLI_STATUS -eq 0 && "$CLI_OUT" != *"停止中"* ]] || e2e_fail "the stopped board carried out the failed --add: $CLI_OUT"
! e2e_read_data_file | grep -qF '停止中' || e2e_fail "the failed --add was written after the board went on"

# A second board with another runtime directory finds the first one's lock
# beside the data file: it says so and ends.
mkdir -m 700 "$E2E_TMP/runtime2"
status=0
timeout 20 env "${E2E_TANZO_ENV[@]}" XDG_RUNTIME_DIR="$E2E_TMP/runtime2" "$TANZO_BIN" \
    >"$E2E_TMP/second.log" 2>&1 || status=$?
[[ $status -eq 1 && $(cat "$E2E_TMP/second.log") == *"既に動作中"* ]] ||
    e2e_fail "a second board with another runtime directory ended with $status: $(cat "$E2E_TMP/second.log")"
kill -0 "$TANZO_PID" || e2e_fail "the first board ended when a second one started"

# A calendar with zones and rules that change every second since 1601: the
# command line bounds the work and reports it, and the board answers at once.
cli --import "$fixtures/hostile-zone.ics"
[[ $CLI_STATUS -eq 0 && "$CLI_OUT" == *"1件の予定を取り込みました"* && "$CLI_OUT" == *"打ち切りました"* ]] ||
    e2e_fail "the hostile import ended with $CLI_STATUS: $CLI_OUT $CLI_ERR"
cli --list --days 2
[[ $CLI_STATUS -eq 0 && "$CLI_OUT" == *"10:00  普通  本社  普通の予定"* ]] ||
    e2e_fail "after the hostile import the board answered $CLI_STATUS: $CLI_OUT $CLI_ERR"

# A 20 MB calendar: only its appointments travel to the board.
awk 'BEGIN {
    printf "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//big//EN\r\n"
    pad = sprintf("%300s", ""); gsub(/ /, "x", pad)
    for (i = 0; i < 52000; i++)
        printf "BEGIN:VEVENT\r\nUID:old-%d@test\r\nDTSTAMP:20270301T000000Z\r\nDTSTART:20260101T%02d%02d00\r\nSUMMARY:過去\r\nDESCRIPTION:%s\r\nEND:VEVENT\r\n", i, (i / 60) % 24, i % 60, pad
    for (i = 0; i < 20; i++)
        printf "BEGIN:VEVENT\r\nUID:new-%d@test\r\nDTSTAMP:20270301T000000Z\r\nDTSTART:20270317T08%02d00\r\nSUMMARY:大量%d\r\nEND:VEVENT\r\n", i, i, i
    printf "END:VCALENDAR\r\n"
}' >"$E2E_TMP/big.ics"
(($(stat -c %s "$E2E_TMP/big.ics") > 20 * 1000 * 1000)) || e2e_fail "the large calendar is too small"
cli --import "$E2E_TMP/big.ics"
[[ $CLI_STATUS -eq 0 && "$CLI_OUT" == *"20件の予定を取り込みました"* ]] ||
    e2e_fail "the 20 MB import through the board ended with $CLI_STATUS: $CLI_OUT $CLI_ERR"

# The socket answers this user only: another user who reaches it (here
# through a link we make for them) is cut off unanswered.
public=$(mktemp -d "${TMPDIR:-/tmp}/tanzo-public.XXXXXX")
chmod 755 "$public"
ln "$XDG_RUNTIME_DIR/tanzo-commands" "$public/socket"
chmod 666 "$public/socket"
[[ $(ask_socket "$public/socket") == *'"status":0'* ]] || e2e_fail "the board did not answer its own user"
# Fields from the socket are checked as typed ones: a time of 25:99, an
# importance of 99, an imported entry with neither.
while IFS='|' read -r request message; do
    answer=$(ask_socket "$public/socket" "$request")
    [[ "$answer" == *'"status":2'* && "$answer" == *"$message"* ]] ||
        e2e_fail "the board took $request and answered: $answer"
done <<'EOF_REQUESTS'
{"kind":1,"date":"2027-03-16","time":"25:99","place":"本社","status":3}|開始時刻が正しくありません
{"kind":1,"date":"2027-03-16","time":"10:00","place":"本社","status":99}|重要度は
{"kind":0,"days":99}|日数は1から7
EOF_REQUESTS
answer=$(ask_socket "$public/socket" '{"kind":2,"fileName":"x.ics","imported":{"refusal":0,"entries":[["2027-03-16",9999,99,"本社",""]]}}')
[[ "$answer" == *'"status":0'* && "$answer" == *"0件の予定を取り込みました"* && "$answer" == *"正しくありません"* ]] ||
    e2e_fail "the board took an imported entry out of range and answered: $answer"
if ((EUID == 0)); then
    answer=$(setpriv --reuid=nobody --regid=nogroup --clear-groups bash -c "$(declare -f ask_socket); E2E_PYTHON=$E2E_PYTHON ask_socket $public/socket" 2>&1) ||
        e2e_fail "another user could not even reach the linked socket: $answer"
    [[ -z "$answer" ]] || e2e_fail "the board answered another user: $answer"
else
    e2e_log "not root: the socket is not tried as another user"
fi
rm -rf "$public"

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
printf '%s\nsleep\n%s\n' "$writer" "$(hostname)" >"$TANZO_DATA_DIR/TANZO.DAT-write.lock"
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
