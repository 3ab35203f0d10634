# Helpers for the desktop checks and for bench/compare.sh, on top of lib.sh
# (source lib.sh first). Nothing here changes lib.sh's own behaviour.
# shellcheck shell=bash disable=SC2034 # variables lib.sh reads

# Ids of the mapped windows of process $1, one a line (empty when none).
perf_visible_windows() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null || true
}

# Milliseconds from now until process $1 maps a window, polled every ~5 ms;
# $2 is the start time in nanoseconds (date +%s%N taken just before the
# program was started). Fails after $3 seconds (default 20).
perf_ms_until_visible() {
    local pid=$1 start_ns=$2 limit_ns=$((${3:-20} * 1000000000)) now
    while :; do
        if [[ -n "$(perf_visible_windows "$pid")" ]]; then
            now=$(date +%s%N)
            echo $(((now - start_ns) / 1000000))
            return 0
        fi
        now=$(date +%s%N)
        ((now - start_ns > limit_ns)) && return 1
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.005
    done
}

# Peak resident set of process $1 in KiB (VmHWM).
perf_vm_hwm_kb() {
    awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"
}

# CPU time of process $1, all threads, in clock ticks (utime + stime).
perf_cpu_ticks() {
    local stat
    stat=$(cat "/proc/$1/stat")
    stat=${stat##*) } # the command name may hold spaces
    # shellcheck disable=SC2086
    set -- $stat
    # After the name: state is field 1, utime field 12, stime field 13.
    echo $((${12} + ${13}))
}

# CPU time of process $1, all threads, in nanoseconds (from the scheduler's
# own accounting, finer than the ticks above).
perf_cpu_ns() {
    local total=0 run rest file
    for file in /proc/"$1"/task/*/schedstat; do
        read -r run rest <"$file" 2>/dev/null || continue
        total=$((total + run))
    done
    echo "$total"
}

# Median of the numbers given as arguments.
perf_median() {
    printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Ends process $1 (one we started) and waits for it, at most $2 seconds.
perf_stop() {
    local pid=$1
    kill "$pid" 2>/dev/null || true
    e2e_wait_exit "$pid" "${2:-5}" || kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# A private Xvfb of $1 (WIDTHxHEIGHT) at $2 dots per inch, for the HiDPI
# checks; otherwise as lib.sh's e2e_start_xvfb. Sets PERF_SCREEN_W/H.
perf_start_xvfb() {
    PERF_SCREEN_W=${1%x*} PERF_SCREEN_H=${1#*x}
    e2e_start_xvfb "$1" "$2"
}

# Visible windows of the program on a screen of PERF_SCREEN_W x PERF_SCREEN_H
# (lib.sh's e2e_tanzo_windows assumes 1280 x 1024), one id a line.
perf_tanzo_windows() {
    local wid
    for wid in $(xdotool search --onlyvisible --classname '^tanzo$' 2>/dev/null); do
        e2e_window_geometry "$wid" || continue
        if ((WIN_X + WIN_W > 0 && WIN_Y + WIN_H > 0 && WIN_X < PERF_SCREEN_W && WIN_Y < PERF_SCREEN_H)); then
            echo "$wid"
        fi
    done
}

# Waits up to $2 seconds for a visible program window that is not among the
# ids in $1 (space separated) and prints its id.
perf_wait_new_window() {
    local known=" $1 " limit=${2:-10} tries=0 wid
    while ((tries < limit * 10)); do
        for wid in $(perf_tanzo_windows); do
            [[ "$known" == *" $wid "* ]] || {
                echo "$wid"
                return 0
            }
        done
        sleep 0.1
        tries=$((tries + 1))
    done
    return 1
}

# Saves window $1's client area alone, cut from a shot of the whole screen
# at device pixels, as $2.png in the artefacts.
perf_window_shot() {
    e2e_window_geometry "$1" || return 1
    import -window root "$E2E_TMP/screen.png" 2>/dev/null &&
        convert "$E2E_TMP/screen.png" -crop "${WIN_W}x${WIN_H}+${WIN_X}+${WIN_Y}" +repage \
            "$E2E_ARTIFACTS/$2.png" && e2e_log "window shot $2.png"
}
