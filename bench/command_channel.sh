#!/usr/bin/env bash
# What a command costs when a board runs: the time of --list and --add
# against a board whose data file is MB megabytes (default 200), one at a
# time and PARALLEL at once (default 200), as median and worst.
#
#   bench/command_channel.sh build/test/tanzo [MB] [PARALLEL]
#
# The board runs on the offscreen platform with a temporary home; it is
# stopped at the end. Run by hand; nothing here is a pass or a fail.
set -euo pipefail
tanzo=$(realpath "${1:?usage: $0 path/to/tanzo [MB] [PARALLEL]}")
megabytes=${2:-200}
parallel=${3:-200}
tmp=$(mktemp -d)
board=""
trap '[[ -n "$board" ]] && kill "$board" 2>/dev/null; rm -rf "$tmp"' EXIT
export HOME=$tmp/home XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config
export XDG_CACHE_HOME=$tmp/cache XDG_RUNTIME_DIR=$tmp/runtime
mkdir -p "$HOME" "$XDG_DATA_HOME/Merovane/Tanzo" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
today=$(($(date +%s) / 86400 + 25569))
# Past appointments with long comments, as another program might leave.
awk -v bytes=$((megabytes * 1024 * 1024)) -v today="$today" 'BEGIN {
    pad = sprintf("%6000s", ""); gsub(/ /, "x", pad)
    for (n = 0; n * 6040 < bytes; n++)
        printf "%d,.5,3,\"place%-2d\",\"%s\",0,0\r\n", today - 1 - n % 3000, n % 100, pad
}' >"$XDG_DATA_HOME/Merovane/Tanzo/TANZO.DAT"
echo "data file: $(du -h "$XDG_DATA_HOME/Merovane/Tanzo/TANZO.DAT" | cut -f1)"

"$tanzo" >"$tmp/board.log" 2>&1 &
board=$!
for _ in $(seq 600); do
    [[ -S "$XDG_RUNTIME_DIR/tanzo-commands" ]] && break
    sleep 0.1
done
[[ -S "$XDG_RUNTIME_DIR/tanzo-commands" ]] || { echo "the board did not listen"; exit 1; }

# Runs tanzo with the arguments and prints its time in ms and its status.
timed() {
    local start status=0
    start=$(date +%s%N)
    "$tanzo" "$@" >/dev/null 2>>"$tmp/errors.log" || status=$?
    echo "$((($(date +%s%N) - start) / 1000000)) $status"
}

# Prints "label: median, worst, failures" of lines "ms status" on stdin.
summary() {
    sort -n | awk -v label="$1" '{ ms[NR] = $1; if ($2 != 0) failed++ } END {
        printf "%s: median %d ms, worst %d ms, %d of %d failed\n",
            label, ms[int((NR + 1) / 2)], ms[NR], failed, NR }'
}

# The first command waits for the board's first read of the file.
timed --list | summary "first --list"
for _ in $(seq 10); do timed --list; done | summary "--list, one at a time"
hour=$(date +%H)
for i in $(seq 0 9); do
    timed --add "$(date -d tomorrow +%F)" "$(printf '%02d:%02d' $((hour % 23)) "$i")" "one$i"
done | summary "--add, one at a time"
pids=()
for i in $(seq 0 $((parallel - 1))); do
    timed --add "$(date -d '2 days' +%F)" "$(printf '%02d:%02d' $((i / 60 % 24)) $((i % 60)))" "p$i" &
    pids+=("$!")
done >"$tmp/parallel.txt"
wait "${pids[@]}"
summary "--add, $parallel at once" <"$tmp/parallel.txt"
[[ ! -s "$tmp/errors.log" ]] || { echo "messages:"; sort "$tmp/errors.log" | uniq -c | head; }
