#!/usr/bin/env bash
# How long the own calendar's first sync of 1000 appointments takes, sent
# and received, and the longest gap it makes between the ticks of a timer in
# the program's thread.
#
#   bench/own_calendar_1000.sh build/test/tanzo_own_calendar_bench [COUNT]
#
# Starts Radicale on 127.0.0.1 with a temporary store and one empty
# calendar, and runs the bench against it; everything is stopped at the end.
set -euo pipefail
bench=${1:?usage: $0 path/to/tanzo_own_calendar_bench [COUNT]}
count=${2:-1000}
tmp=$(mktemp -d)
pid=""
trap '[[ -n "$pid" ]] && kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'bench:bench\n' >"$tmp/users"
cat >"$tmp/config" <<EOF_CONF
[server]
hosts = 127.0.0.1:$port
[auth]
type = htpasswd
htpasswd_filename = $tmp/users
htpasswd_encryption = plain
[storage]
filesystem_folder = $tmp/collections
EOF_CONF
/usr/bin/radicale --config "$tmp/config" >"$tmp/radicale.log" 2>&1 &
pid=$!
url=http://127.0.0.1:$port/bench/own/
for _ in $(seq 50); do
    curl -sf -o /dev/null -u bench:bench "http://127.0.0.1:$port/" && break
    sleep 0.2
done
curl -sf -o /dev/null -u bench:bench -X MKCALENDAR "$url"
echo "$count appointments, Radicale $(dpkg-query -W -f='${Version}' radicale 2>/dev/null)"
"$bench" "$url" bench bench "$count"
