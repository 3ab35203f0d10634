#!/bin/sh
# Plays WAV files of several encodings through the program's sound player into
# a private null sink (PulseAudio, or PipeWire's pulse server) and checks that
# something was heard.
# usage: sound_through_null_sink.sh PATH/TO/tanzo_sound_probe
set -u
probe=$1
# shellcheck source=tests/support/null_sink_server.sh
. "$(dirname "$0")/../support/null_sink_server.sh"

for tool in pactl parecord sox; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed; the sound output cannot be checked"
        exit 77
    fi
done

work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/run" HOME="$work/home" PULSE_SERVER="unix:$work/run/pulse/native"
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY

stop_server() {
    null_sink_stop
    rm -rf "$work"
}
trap stop_server EXIT

null_sink_start "$work/pulse.log"
case $? in
0) ;;
77) echo "SKIP: no sound server (PulseAudio or PipeWire's pulse server) is installed"; exit 77 ;;
*) echo "FAIL: the sound server did not start"; cat "$work/pulse.log"; exit 1 ;;
esac

# The shipped chord is 16-bit PCM; users' files may be anything else.
sox -n -r 44100 -c 2 -b 16 -e signed-integer "$work/chord16.wav" synth 1.2 sine 523.25 sine 659.25 vol 0.6
sox -n -r 44100 -c 1 -b 8 -e unsigned-integer "$work/pcm8.wav" synth 1.2 sine 440 vol 0.6
sox -n -r 48000 -c 2 -b 32 -e signed-integer "$work/pcm32.wav" synth 1.2 sine 440 vol 0.6
sox -n -r 44100 -c 1 -b 24 -e signed-integer "$work/pcm24.wav" synth 1.2 sine 440 vol 0.6
sox -n -r 44100 -c 2 -b 32 -e floating-point "$work/float32.wav" synth 1.2 sine 440 vol 0.6
sox -n -r 8000 -c 1 -e u-law "$work/ulaw.wav" synth 1.2 sine 440 vol 0.6

rms_of() {
    sox "$1" -n stat 2>&1 | awk '/^RMS +amplitude/ {print $3}'
}

record_while_playing() { # file -> prints RMS of what was recorded
    rec="$work/rec.wav"
    rm -f "$rec"
    parecord -d nul.monitor --file-format=wav "$rec" &
    recpid=$!
    sleep 0.5
    "$probe" "$1" 2500 >"$work/probe.out" 2>&1
    sleep 0.3
    kill "$recpid" 2>/dev/null
    wait "$recpid" 2>/dev/null
    rms_of "$rec"
}

status=0
for f in chord16 pcm8 pcm32 pcm24 float32 ulaw; do
    rms=$(record_while_playing "$work/$f.wav")
    if awk -v r="${rms:-0}" 'BEGIN { exit !(r > 0.01) }'; then
        echo "ok   $f.wav heard, RMS $rms"
    else
        echo "FAIL $f.wav not heard, RMS ${rms:-none}"; cat "$work/probe.out"; status=1
    fi
done

# A missing file and a file that is no WAV play nothing and do not fail.
printf 'not a sound' >"$work/text.wav"
for f in "$work/missing.wav" "$work/text.wav"; do
    rms=$(record_while_playing "$f")
    if awk -v r="${rms:-0}" 'BEGIN { exit !(r <= 0.001) }'; then
        echo "ok   $(basename "$f") silent"
    else
        echo "FAIL $(basename "$f") made a sound, RMS $rms"; status=1
    fi
done
exit $status
