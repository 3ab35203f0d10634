# End-to-end harness: the built program on a private X server with a real
# window manager (icewm, task bar and tray), a private D-Bus session and
# temporary data, config and runtime directories. Sourced by each test:
#
#   source "$(dirname "$0")/lib.sh"
#   e2e_init "$@"            # $1: the tanzo executable
#   e2e_start_desktop        # Xvfb, D-Bus, icewm
#   e2e_start_tanzo --faketime "@2027-03-15 09:59:50"
#   wid=$(e2e_wait_board)
#   ...
#   e2e_pass
#
# Everything started here is stopped by the EXIT trap, also when a check fails.
# Screenshots and logs go to $E2E_ARTIFACTS (build/test/artifacts/e2e/<test>).
# TANZO_E2E_KEEP=1 keeps the temporary home for a look afterwards.

# shellcheck disable=SC2034,SC2119 # variables and defaults for the tests that source this file
set -euo pipefail

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly E2E_LIB_DIR
# The system interpreter: the accessibility bindings are Debian packages.
readonly E2E_PYTHON=/usr/bin/python3
readonly E2E_FAKETIME_LIB=/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1

E2E_NAME=$(basename "$0" .sh)
E2E_PIDS=()  # helpers to stop at the end, in reverse order
TANZO_PID=""
E2E_SHOT=0

e2e_log() { printf '[%s %s] %s\n' "$(date +%H:%M:%S)" "$E2E_NAME" "$*" >&2; }

# Prints the reason, takes a screenshot of the moment and ends the test.
e2e_fail() {
    e2e_log "FAIL: $*"
    # Only our own server: never photograph the desktop of whoever runs this.
    if [[ -n "${E2E_XVFB_UP:-}" ]]; then
        e2e_screenshot failure || true
    fi
    exit 1
}

e2e_check() { # message, command...
    local message=$1
    shift
    if ! "$@"; then
        e2e_fail "$message"
    fi
}

e2e_pass() {
    e2e_log "PASS"
    exit 0
}

# $1 is the program under test; the artefacts live in the build tree beside it
# unless TANZO_E2E_ARTIFACTS names another place.
e2e_init() {
    unset DISPLAY
    TANZO_BIN=${1:?usage: $0 path/to/tanzo}
    [[ -x "$TANZO_BIN" ]] || e2e_fail "no executable at $TANZO_BIN"
    TANZO_BIN=$(cd "$(dirname "$TANZO_BIN")" && pwd)/$(basename "$TANZO_BIN")
    local base=${TANZO_E2E_ARTIFACTS:-$(dirname "$TANZO_BIN")/artifacts/e2e}
    E2E_ARTIFACTS=$base/$E2E_NAME
    rm -rf "$E2E_ARTIFACTS"
    mkdir -p "$E2E_ARTIFACTS"

    for tool in Xvfb icewm xdotool wmctrl xwininfo xprop import iconv dbus-daemon; do
        command -v "$tool" >/dev/null || e2e_fail "missing tool $tool (run scripts/setup)"
    done

    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tanzo-e2e.XXXXXX")
    trap e2e_teardown EXIT
    trap 'exit 130' INT TERM

    # A private home: nothing of the user's desktop, settings or data leaks in,
    # and nothing the test does leaks out.
    export HOME=$E2E_TMP/home
    export XDG_DATA_HOME=$E2E_TMP/data
    export XDG_CONFIG_HOME=$E2E_TMP/config
    export XDG_CACHE_HOME=$E2E_TMP/cache
    export XDG_RUNTIME_DIR=$E2E_TMP/runtime
    mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset XDG_SESSION_TYPE WAYLAND_DISPLAY QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
    unset SESSION_MANAGER QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
    export LC_ALL=C.UTF-8 LANG=C.UTF-8

    TANZO_DATA_DIR=$XDG_DATA_HOME/Merovane/Tanzo
    TANZO_DATA_FILE=$TANZO_DATA_DIR/TANZO.DAT
    TANZO_SETTINGS_FILE=$XDG_CONFIG_HOME/Merovane/Tanzo/settings.reg
    # A data file beside the executable would take precedence over ours.
    [[ ! -e "$(dirname "$TANZO_BIN")/TANZO.DAT" ]] ||
        e2e_fail "a TANZO.DAT stands beside $TANZO_BIN; it would be used instead of the test's data"
}

e2e_teardown() {
    local status=$?
    set +e
    if [[ -n "$TANZO_PID" ]] && kill -0 "$TANZO_PID" 2>/dev/null; then
        kill "$TANZO_PID" 2>/dev/null
        e2e_wait_exit "$TANZO_PID" 5 || kill -KILL "$TANZO_PID" 2>/dev/null
    fi
    local i
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${E2E_PIDS[i]}" 2>/dev/null
    done
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        e2e_wait_exit "${E2E_PIDS[i]}" 3 || kill -KILL "${E2E_PIDS[i]}" 2>/dev/null
    done
    if [[ -n "${E2E_TMP:-}" && -d "$E2E_TMP" ]]; then
        cp "$E2E_TMP"/*.log "$E2E_ARTIFACTS"/ 2>/dev/null
        if [[ "${TANZO_E2E_KEEP:-0}" == 1 ]]; then
            e2e_log "kept $E2E_TMP"
        else
            rm -rf "$E2E_TMP"
        fi
    fi
    e2e_log "artefacts in $E2E_ARTIFACTS"
    exit "$status"
}

# Waits up to $2 seconds (default 10) for process $1 to end. Works for
# processes that are not our children too.
e2e_wait_exit() {
    local pid=$1 limit=${2:-10} waited=0
    while kill -0 "$pid" 2>/dev/null; do
        # A zombie child has ended; reap it so that kill -0 stops seeing it.
        local stat
        stat=$(cat "/proc/$pid/stat" 2>/dev/null) || return 0
        stat=${stat##*) }
        if [[ "$stat" == Z* ]]; then
            wait "$pid" 2>/dev/null
            return 0
        fi
        ((waited >= limit * 10)) && return 1
        sleep 0.1
        waited=$((waited + 1))
    done
    return 0
}

# Polls "$@" every 0.1 s until it succeeds or $1 seconds have passed.
e2e_retry() {
    local limit=$1 tries=0
    shift
    until "$@" >/dev/null 2>&1; do
        ((tries >= limit * 10)) && return 1
        sleep 0.1
        tries=$((tries + 1))
    done
}

# --- the desktop ------------------------------------------------------------

e2e_start_xvfb() { # [WIDTHxHEIGHT [dpi]]
    # Xvfb picks a free display itself and reports it, so parallel runs and
    # a developer's own servers never collide.
    local size=${1:-1280x1024} dpi=${2:-96} fifo=$E2E_TMP/displayfd
    : >"$fifo"
    Xvfb -displayfd 5 -screen 0 "${size}x24" -dpi "$dpi" -nolisten tcp -noreset \
        5>"$fifo" >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_retry 15 test -s "$fifo" || e2e_fail "Xvfb did not start (see xvfb.log)"
    DISPLAY=":$(tr -d '[:space:]' <"$fifo")"
    export DISPLAY
    E2E_XVFB_UP=1
    e2e_retry 10 xprop -root _NET_SUPPORTED || e2e_fail "cannot reach the X server $DISPLAY"
    e2e_log "Xvfb on $DISPLAY, $size at $dpi dpi"
}

e2e_start_dbus() {
    local out=$E2E_TMP/dbus.address
    dbus-daemon --session --nofork --nopidfile --print-address=5 \
        5>"$out" >"$E2E_TMP/dbus.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_retry 10 test -s "$out" || e2e_fail "dbus-daemon did not start"
    DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$out")
    export DBUS_SESSION_BUS_ADDRESS
}

# True when some client owns the system tray selection of screen 0.
e2e_tray_present() {
    "$E2E_PYTHON" "$E2E_LIB_DIR/selection_owner.py" _NET_SYSTEM_TRAY_S0 >/dev/null
}

e2e_start_icewm() { # [notray]
    # A plain icewm with its task bar and tray; no session extras, no
    # wallpaper tool, no sounds. Its own fonts need Japanese glyphs, or the
    # window titles show empty boxes in the screenshots. With "notray" the
    # task bar stays but no client owns _NET_SYSTEM_TRAY_S0, as on desktops
    # without a tray (TaskBarShowTray=0 alone only hides icewm's tray).
    local tray=1
    [[ "${1:-}" == notray ]] && tray=0
    mkdir -p "$HOME/.icewm"
    cat >"$HOME/.icewm/preferences" <<EOF
ShowTaskBar=1
TaskBarShowTray=$tray
TaskBarEnableSystemTray=$tray
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
TitleFontNameXft="IPAGothic:size=10"
MenuFontNameXft="IPAGothic:size=10"
NormalFontNameXft="IPAGothic:size=10"
NormalButtonFontNameXft="IPAGothic:size=10"
ActiveButtonFontNameXft="IPAGothic:size=10"
NormalTaskBarFontNameXft="IPAGothic:size=10"
ActiveTaskBarFontNameXft="IPAGothic:size=10:bold"
ToolTipFontNameXft="IPAGothic:size=10"
EOF
    icewm --replace --config="$HOME/.icewm/preferences" >"$E2E_TMP/icewm.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_retry 15 xprop -root -notype _NET_SUPPORTING_WM_CHECK ||
        e2e_fail "icewm did not take the screen (see icewm.log)"
    if ((tray)); then
        e2e_retry 15 e2e_tray_present || e2e_fail "icewm's system tray did not appear"
        e2e_log "icewm running with a tray"
    else
        # Give a tray that would come up anyway the time to claim the
        # selection, so the caller sees the desktop as the program will.
        sleep 1
        ! e2e_tray_present || e2e_fail "a system tray is present although icewm's tray is off"
        e2e_log "icewm running without a tray"
    fi
}

e2e_start_desktop() {
    e2e_start_xvfb
    e2e_start_dbus
    e2e_start_icewm
}

# Optional: a sound server (PulseAudio, or PipeWire's pulse server) with a
# null sink "nul"; what the program plays can be recorded from nul.monitor
# (see e2e_record_audio).
e2e_start_pulse() {
    # shellcheck source=tests/support/null_sink_server.sh
    source "$E2E_LIB_DIR/../support/null_sink_server.sh"
    local status=0
    null_sink_start "$E2E_TMP/pulse.log" || status=$?
    # shellcheck disable=SC2206
    E2E_PIDS+=($null_sink_pids)
    ((status == 0)) || e2e_fail "the sound server did not start (status $status, see pulse.log)"
}

# Records $2 seconds of what is played into $1 (a WAV file), in the background;
# prints the recorder's pid.
e2e_record_audio() {
    local file=$1 seconds=$2
    timeout "$seconds" parecord -d nul.monitor --file-format=wav "$file" \
        >>"$E2E_TMP/pulse.log" 2>&1 &
    echo $!
}

# RMS amplitude of a recording (0 for silence).
e2e_audio_rms() {
    sox "$1" -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }'
}

# --- the program --------------------------------------------------------------

# Starts tanzo in the background. Options:
#   --faketime "@YYYY-MM-DD hh:mm:ss"  the clock starts there and runs on
#   --log NAME                          log file name (default tanzo.log)
# Sets TANZO_PID.
e2e_start_tanzo() {
    local fake="" log=tanzo.log
    while (($#)); do
        case "$1" in
        --faketime) fake=$2; shift 2 ;;
        --log) log=$2; shift 2 ;;
        *) e2e_fail "e2e_start_tanzo: unknown option $1" ;;
        esac
    done
    local env_args=(QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1)
    if [[ -n "$fake" ]]; then
        [[ -e "$E2E_FAKETIME_LIB" ]] || e2e_fail "missing $E2E_FAKETIME_LIB"
        # Only the wall clock is moved; the monotonic clock that drives Qt's
        # timers is left alone so that one-second ticks stay one second.
        env_args+=("LD_PRELOAD=$E2E_FAKETIME_LIB" "FAKETIME=$fake" DONT_FAKE_MONOTONIC=1
            FAKETIME_DONT_FAKE_MONOTONIC=1 FAKETIME_DONT_RESET=1)
        # A sanitizer build wants its runtime first in the library list; the
        # clock library only wraps time calls, so the order does no harm.
        env_args+=("ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0")
    fi
    E2E_TANZO_ENV=("${env_args[@]}")
    env "${env_args[@]}" "$TANZO_BIN" >"$E2E_TMP/$log" 2>&1 &
    TANZO_PID=$!
    e2e_log "tanzo started (pid $TANZO_PID${fake:+, clock $fake})"
}

# Waits up to $1 seconds (default 10) for the program to end; on success sets
# TANZO_EXIT_STATUS and forgets the process.
e2e_wait_tanzo_exit() {
    e2e_wait_exit "$TANZO_PID" "${1:-10}" || return 1
    TANZO_EXIT_STATUS=0
    wait "$TANZO_PID" 2>/dev/null || TANZO_EXIT_STATUS=$?
    TANZO_PID=""
}

# Runs another tanzo in the foreground with the same environment as the last
# e2e_start_tanzo, at most $1 seconds; its exit status is returned (124 when
# it had to be stopped).
e2e_run_tanzo_again() {
    local limit=$1 status=0
    timeout "$limit" env "${E2E_TANZO_ENV[@]}" "$TANZO_BIN" >"$E2E_TMP/tanzo-second.log" 2>&1 ||
        status=$?
    return "$status"
}

# Visible top-level windows of the program (its X class is "tanzo"), one id a
# line. Windows parked off-screen (the task-bar proxy) are left out.
e2e_tanzo_windows() {
    local wid
    for wid in $(xdotool search --onlyvisible --classname '^tanzo$' 2>/dev/null); do
        e2e_window_geometry "$wid" || continue
        if ((WIN_X + WIN_W > 0 && WIN_Y + WIN_H > 0 && WIN_X < 1280 && WIN_Y < 1024)); then
            echo "$wid"
        fi
    done
}

# Sets WIN_X, WIN_Y (absolute, of the client area), WIN_W, WIN_H of window $1.
e2e_window_geometry() {
    local info
    info=$(xwininfo -id "$1" 2>/dev/null) || return 1
    WIN_X=$(awk -F: '/Absolute upper-left X/ { gsub(/ /, "", $2); print $2 }' <<<"$info")
    WIN_Y=$(awk -F: '/Absolute upper-left Y/ { gsub(/ /, "", $2); print $2 }' <<<"$info")
    WIN_W=$(awk -F: '/^ *Width:/ { gsub(/ /, "", $2); print $2 }' <<<"$info")
    WIN_H=$(awk -F: '/^ *Height:/ { gsub(/ /, "", $2); print $2 }' <<<"$info")
    [[ -n "$WIN_X" && -n "$WIN_W" ]]
}

# The board: the program's visible frameless tool window. Waits up to $1
# seconds (default 20) and prints its id.
e2e_wait_board() {
    local limit=${1:-20} tries=0 wid
    while ((tries < limit * 10)); do
        [[ -n "$TANZO_PID" ]] && ! kill -0 "$TANZO_PID" 2>/dev/null &&
            e2e_fail "tanzo ended before its board appeared (see tanzo.log)"
        for wid in $(e2e_tanzo_windows); do
            if xprop -id "$wid" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q UTILITY; then
                echo "$wid"
                return 0
            fi
        done
        sleep 0.1
        tries=$((tries + 1))
    done
    e2e_fail "no board window within $limit s"
}

# Clicks button 1 at ($2, $3) pixels from the top-left of window $1.
e2e_click_in() {
    e2e_window_geometry "$1" || e2e_fail "window $1 is gone"
    xdotool mousemove --sync $((WIN_X + $2)) $((WIN_Y + $3)) click 1
}

# Saves a screenshot of the whole screen as NN-$1.png in the artefacts.
e2e_screenshot() {
    E2E_SHOT=$((E2E_SHOT + 1))
    local file
    file=$E2E_ARTIFACTS/$(printf '%02d' "$E2E_SHOT")-$1.png
    import -window root "$file" 2>/dev/null && e2e_log "screenshot $(basename "$file")"
}

# The accessibility tree of the program: one line per object with role,
# name, text and screen rectangle (what a screen reader reads).
e2e_accessible_dump() {
    "$E2E_PYTHON" "$E2E_LIB_DIR/atspi_dump.py" tanzo "${1:-10}"
}

# Presses the accessible object with role $1 and name $2 through its action,
# as a screen reader does (no pointer involved).
e2e_accessible_press() {
    "$E2E_PYTHON" "$E2E_LIB_DIR/atspi_dump.py" tanzo 5 --press "$1" "$2"
}

# Waits up to $2 seconds (default 15) until some object of the program shows
# the text $1 (for example a board row that has been filled in).
e2e_wait_text() {
    local text=$1 limit=${2:-15} tries=0
    while ((tries < limit)); do
        if e2e_accessible_dump 1 2>/dev/null | grep -qF -- "$text"; then
            return 0
        fi
        sleep 1
        tries=$((tries + 1))
    done
    e2e_accessible_dump 1 >"$E2E_ARTIFACTS/accessible-tree.txt" 2>&1 || true
    return 1
}

# --- the data file -------------------------------------------------------------

# Day serial of a date (days since 1899-12-30), as TANZO.DAT stores it.
e2e_day_serial() {
    echo $((($(date -u -d "$1" +%s) - $(date -u -d 1899-12-30 +%s)) / 86400))
}

# Writes TANZO.DAT from UTF-8 lines on stdin: code page 932, CR LF.
e2e_write_data_file() {
    mkdir -p "$TANZO_DATA_DIR"
    sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$TANZO_DATA_FILE" ||
        e2e_fail "cannot encode the test's data file"
}

# TANZO.DAT decoded to UTF-8, CR removed.
e2e_read_data_file() {
    iconv -f CP932 -t UTF-8 "$TANZO_DATA_FILE" | tr -d '\r'
}
