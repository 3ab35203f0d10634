#!/usr/bin/env bash
# What the calendar scenarios share: the command line at the test's clock,
# a free port, the secret store on the test's own D-Bus and a Radicale
# server on 127.0.0.1 with one user. Sourced after lib.sh and e2e_init; the
# scenario sets `clock` and `password` first.
# shellcheck disable=SC2154 # clock and password are the scenario's

# Runs tanzo at the test's clock with stdin from $CLI_IN and the extra
# environment in CLI_ENV; sets CLI_STATUS, CLI_OUT, CLI_ERR, and keeps a
# transcript in cli.txt.
CLI_IN=/dev/null
CLI_ENV=()
cli() {
    CLI_STATUS=0
    env LD_PRELOAD="$E2E_FAKETIME_LIB" FAKETIME="$clock" FAKETIME_DONT_RESET=1 "${CLI_ENV[@]}" \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
        timeout 60 "$TANZO_BIN" "$@" <"$CLI_IN" >"$E2E_TMP/cli.out" 2>"$E2E_TMP/cli.err" ||
        CLI_STATUS=$?
    CLI_OUT=$(cat "$E2E_TMP/cli.out")
    CLI_ERR=$(cat "$E2E_TMP/cli.err")
    printf '$ tanzo %s\n[%s]\n%s\n%s\n' "$*" "$CLI_STATUS" "$CLI_OUT" "$CLI_ERR" >>"$E2E_ARTIFACTS/cli.txt"
}

free_port() {
    "$E2E_PYTHON" -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# The secret store on the test's own D-Bus, unlocked with a throwaway password.
dav_start_keyring() {
    printf 'keyring' | gnome-keyring-daemon --foreground --unlock --components=secrets \
        >"$E2E_TMP/keyring.log" 2>&1 &
    E2E_PIDS+=($!)
}

# Radicale on a free port with the user tanzo and $password; sets dav_port
# and radicale_pid, and returns once it answers.
dav_start_radicale() {
    dav_port=$(free_port)
    mkdir -p "$E2E_TMP/radicale"
    printf 'tanzo:%s\n' "$password" >"$E2E_TMP/radicale/users"
    cat >"$E2E_TMP/radicale/config" <<EOF_CONF
[server]
hosts = 127.0.0.1:$dav_port
[auth]
type = htpasswd
htpasswd_filename = $E2E_TMP/radicale/users
htpasswd_encryption = plain
[storage]
filesystem_folder = $E2E_TMP/radicale/collections
EOF_CONF
    /usr/bin/radicale --config "$E2E_TMP/radicale/config" >"$E2E_TMP/radicale.log" 2>&1 &
    radicale_pid=$!
    E2E_PIDS+=("$radicale_pid")
    e2e_retry 10 curl -sf -o /dev/null -u "tanzo:$password" "http://127.0.0.1:$dav_port/" ||
        e2e_fail "radicale did not start (see radicale.log)"
}
