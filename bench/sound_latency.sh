#!/usr/bin/env bash
# How long a notice's sound takes to be heard after the notice asks for it:
# the program's sound player (through tanzo_sound_probe) plays the chord into
# a private null sink (PulseAudio, or PipeWire's pulse server) whose monitor is read in 5 ms blocks; the
# figure is the time from the play call to the first block with sound in it.
# It includes the monitor's own capture delay, so it is an upper bound.
#
#   bench/sound_latency.sh BUILD_DIR [RUNS]
#
# Cold: the first play of a fresh process (the sound module is loaded and the
# server connected on the spot). Prepared: the player was readied 2 s before,
# as the board does when a notice is a minute away. Target: prepared < 100 ms.
set -euo pipefail
build_dir=$(cd "${1:?usage: bench/sound_latency.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-5}
probe=$build_dir/tanzo_sound_probe
chord=$build_dir/media/Chord.wav
cmake --build "$build_dir" -j2 --target tanzo_sound_probe tanzo_sound tanzo_resources >&2
for tool in pactl parec; do
    command -v "$tool" >/dev/null || { echo "sound_latency.sh: $tool is missing (scripts/setup test)" >&2; exit 1; }
done
# shellcheck source=tests/support/null_sink_server.sh
source "$(dirname "${BASH_SOURCE[0]}")/../tests/support/null_sink_server.sh"

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run HOME=$work/home PULSE_SERVER=unix:$work/run/pulse/native
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
trap 'null_sink_stop; rm -rf "$work"' EXIT
null_sink_start "$work/pulse.log" || {
    echo "sound_latency.sh: no sound server started (see $work/pulse.log)" >&2
    cat "$work/pulse.log" >&2
    exit 1
}

one_run() { # extra probe arguments; prints milliseconds from play to sound
    python3 - "$probe" "$chord" "$@" <<'PY'
import array, subprocess, sys, time
probe, chord, extra = sys.argv[1], sys.argv[2], sys.argv[3:]
rate = 48000
block = rate * 5 // 1000  # 5 ms of mono 16-bit samples
rec = subprocess.Popen(["parec", "-d", "nul.monitor", "--raw", "--format=s16le",
                        f"--rate={rate}", "--channels=1", "--latency-msec=5"],
                       stdout=subprocess.PIPE)
rec.stdout.read(block * 2 * 20)  # the stream runs before the probe starts
p = subprocess.Popen([probe, chord, "1500", *extra], stdout=subprocess.PIPE, text=True)
heard = None
deadline = time.time() + 10
while heard is None and time.time() < deadline:
    data = rec.stdout.read(block * 2)
    samples = array.array("h", data)
    if samples and max(abs(s) for s in samples) > 300:
        heard = time.time() * 1000
out = p.communicate()[0]
rec.kill()
play_at = int(out.split("play-at-ms:")[1].split()[0])
print("none" if heard is None else f"{heard - play_at:.0f}")
PY
}

cold=() prepared=()
for ((i = 0; i < runs; i++)); do
    cold+=("$(one_run)")
    prepared+=("$(one_run 2000)")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "sound start after the play call, ms (upper bound); load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "  cold first play: ${cold[*]} (median $(median "${cold[@]}"))"
echo "  prepared:        ${prepared[*]} (median $(median "${prepared[@]}")); target < 100"
