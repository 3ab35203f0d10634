# shellcheck shell=sh
# A private sound server with a null sink "nul" as the default sink, so that
# what a program plays can be recorded from nul.monitor. PulseAudio where it
# is installed, else PipeWire with its pulse server and WirePlumber (the two
# servers cannot be installed together, and a desktop has one or the other);
# clients reach either through $XDG_RUNTIME_DIR/pulse/native.
#
#   . tests/support/null_sink_server.sh
#   null_sink_start LOGFILE   # XDG_RUNTIME_DIR private; 77 when no server is installed
#   null_sink_stop
# TANZO_SOUND_SERVER=pipewire picks PipeWire where both are installed.

null_sink_pids=""

null_sink_start() {
    log=$1
    server=${TANZO_SOUND_SERVER:-}
    if [ -z "$server" ]; then
        if command -v pulseaudio >/dev/null 2>&1; then
            server=pulseaudio
        elif command -v pipewire >/dev/null 2>&1 && command -v pipewire-pulse >/dev/null 2>&1 &&
            command -v wireplumber >/dev/null 2>&1; then
            server=pipewire
        else
            return 77
        fi
    fi
    case $server in
    pulseaudio)
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=true \
            -L "module-null-sink sink_name=nul" -L module-native-protocol-unix >"$log" 2>&1 &
        null_sink_pids=$!
        ;;
    pipewire)
        # WirePlumber, which links streams to the sink, needs a session bus.
        if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
            bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || return 1
            DBUS_SESSION_BUS_ADDRESS=$(echo "$bus" | sed -n 1p)
            export DBUS_SESSION_BUS_ADDRESS
            null_sink_pids=$(echo "$bus" | sed -n 2p)
        fi
        pipewire >"$log" 2>&1 &
        null_sink_pids="$null_sink_pids $!"
        wireplumber >>"$log" 2>&1 &
        null_sink_pids="$null_sink_pids $!"
        pipewire-pulse >>"$log" 2>&1 &
        null_sink_pids="$null_sink_pids $!"
        ;;
    *) return 1 ;;
    esac
    i=0
    until pactl info >/dev/null 2>&1; do
        i=$((i + 1))
        [ $i -lt 100 ] || return 1
        sleep 0.1
    done
    if [ "$server" = pipewire ]; then
        pactl load-module module-null-sink sink_name=nul channel_map=stereo >/dev/null || return 1
    fi
    i=0
    until pactl list short sinks 2>/dev/null | grep -q '	nul	'; do
        i=$((i + 1))
        [ $i -lt 100 ] || return 1
        sleep 0.1
    done
    pactl set-default-sink nul >/dev/null || return 1
    # The session manager takes the new default a moment later.
    [ "$server" = pulseaudio ] || sleep 0.5
}

null_sink_stop() {
    # shellcheck disable=SC2086
    [ -z "$null_sink_pids" ] || kill $null_sink_pids 2>/dev/null
    null_sink_pids=""
}
