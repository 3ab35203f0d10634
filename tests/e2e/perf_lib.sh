# Helpers for the desktop checks and for bench/compare.sh, on top of lib.sh
# (source lib.sh first). Nothing here changes lib.sh's own behaviour.
# shellcheck shell=bash

# icewm without its system tray: its task bar stays (so a window with a
# button can still be reached) but no client owns _NET_SYSTEM_TRAY_S0, as
# on desktops that have no tray at all.
perf_start_icewm_no_tray() {
    mkdir -p "$HOME/.icewm"
    cat >"$HOME/.icewm/preferences" <<'PREFS'
ShowTaskBar=1
TaskBarShowTray=0
TaskBarShowClock=0
TaskBarShowAPMStatus=0
TaskBarShowMailboxStatus=0
TaskBarShowCPUStatus=0
TaskBarShowNetStatus=0
TaskBarShowMEMStatus=0
TaskBarAutoHide=0
ShowPopupsAbovePointer=0
FocusMode=1
ClickToFocus=1
RaiseOnFocus=1
DesktopBackgroundColor="rgb:30/50/70"
PREFS
    icewm --replace --config="$HOME/.icewm/preferences" >"$E2E_TMP/icewm.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_retry 15 xprop -root -notype _NET_SUPPORTING_WM_CHECK ||
        e2e_fail "icewm did not take the screen (see icewm.log)"
    # Give a tray that would come up anyway the time to claim the selection,
    # so the check below sees the desktop as the program will.
    sleep 1
    ! e2e_tray_present || e2e_fail "a system tray is present although icewm's tray is off"
    e2e_log "icewm running without a tray"
}

# The desktop for the measurements: Xvfb, D-Bus and icewm with its tray.
perf_start_desktop() {
    e2e_start_desktop
}

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
