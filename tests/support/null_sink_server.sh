# shellcheck shell=sh
# A private sound server with a null sink "nul" as the default sink, so that
# what a program plays can be recorded from nul.monitor. PulseAudio where it
# is installed, else PipeWire with its pulse server and WirePlumber (a
# desktop has one or the other: PipeWire's audio set conflicts with
# PulseAudio); clients reach either through $XDG_RUNTIME_DIR/pulse/native.
#
#   . tests/support/null_sink_server.sh
#   null_sink_start LOGFILE   # XDG_RUNTIME_DIR private; 77 when no server is installed
#   null_sink_stop
# TANZO_SOUND_SERVER=pipewire picks PipeWire where both are installed.

# Its own variables start with _ns_ (sourced scripts share one namespace).
null_sink_pids=""

null_sink_start() {
    _ns_log=$1
    _ns_server=${TANZO_SOUND_SERVER:-}
    if [ -z "$_ns_server" ]; then
        if command -v pulseaudio >/dev/null 2>&1; then
            _ns_server=pulseaudio
        elif command -v pipewire >/dev/null 2>&1 && command -v pipewire-pulse >/dev/null 2>&1; then
            _ns_server=pipewire
        else
            return 77
        fi
    fi
    case $_ns_server in
    pulseaudio)
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=true \
            -L "module-null-sink sink_name=nul" -L module-native-protocol-unix >"$_ns_log" 2>&1 &
        null_sink_pids=$!
        ;;
    pipewire)
        # WirePlumber, which links streams to the sink, needs a session bus.
        if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
            _ns_bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || return 1
            DBUS_SESSION_BUS_ADDRESS=$(echo "$_ns_bus" | sed -n 1p)
            export DBUS_SESSION_BUS_ADDRESS
            null_sink_pids=$(echo "$_ns_bus" | sed -n 2p)
        fi
        pipewire >"$_ns_log" 2>&1 &
        null_sink_pids="$null_sink_pids $!"
        # The session manager links the streams to the sink.
        if command -v wireplumber >/dev/null 2>&1; then
            wireplumber >>"$_ns_log" 2>&1 &
        elif command -v pipewire-media-session >/dev/null 2>&1; then
            pipewire-media-session >>"$_ns_log" 2>&1 &
        else
            echo "no PipeWire session manager (wireplumber) is installed" >>"$_ns_log"
            return 77
        fi
        null_sink_pids="$null_sink_pids $!"
        pipewire-pulse >>"$_ns_log" 2>&1 &
        null_sink_pids="$null_sink_pids $!"
        ;;
    *) return 1 ;;
    esac
    _ns_i=0
    until pactl info >/dev/null 2>&1; do
        _ns_i=$((_ns_i + 1))
        [ $_ns_i -lt 100 ] || return 1
        sleep 0.1
    done
    if [ "$_ns_server" = pipewire ]; then
        pactl load-module module-null-sink sink_name=nul channel_map=stereo >/dev/null || return 1
    fi
    _ns_i=0
    until pactl list short sinks 2>/dev/null | grep -q '	nul	'; do
        _ns_i=$((_ns_i + 1))
        [ $_ns_i -lt 100 ] || return 1
        sleep 0.1
    done
    pactl set-default-sink nul >/dev/null || return 1
    # The session manager takes the new default a moment later.
    [ "$_ns_server" = pulseaudio ] || sleep 0.5
}

null_sink_stop() {
    # shellcheck disable=SC2086
    [ -z "$null_sink_pids" ] || kill $null_sink_pids 2>/dev/null
    null_sink_pids=""
}
