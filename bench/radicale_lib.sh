#!/usr/bin/env bash
# Sourced by the calendar benches: starts Radicale on 127.0.0.1 with a
# temporary store and user bench:bench, makes an empty calendar at $1 (a path
# under the server such as bench/cal/), and sets `url` to its address.
# Everything is stopped and removed when the bench's shell exits.
radicale_tmp=$(mktemp -d)
radicale_pid=""
trap '[[ -n "$radicale_pid" ]] && kill "$radicale_pid" 2>/dev/null; rm -rf "$radicale_tmp"' EXIT
radicale_port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'bench:bench\n' >"$radicale_tmp/users"
cat >"$radicale_tmp/config" <<EOF_CONF
[server]
hosts = 127.0.0.1:$radicale_port
[auth]
type = htpasswd
htpasswd_filename = $radicale_tmp/users
htpasswd_encryption = plain
[storage]
filesystem_folder = $radicale_tmp/collections
EOF_CONF
/usr/bin/radicale --config "$radicale_tmp/config" >"$radicale_tmp/radicale.log" 2>&1 &
radicale_pid=$!
url=http://127.0.0.1:$radicale_port/${1:?calendar path}
for _ in $(seq 50); do
    curl -sf -o /dev/null -u bench:bench "http://127.0.0.1:$radicale_port/" && break
    sleep 0.2
done
curl -sf -o /dev/null -u bench:bench -X MKCALENDAR "$url"
