#!/usr/bin/env bash
# Measures the board against the floor program (bench/floor: one frameless Qt
# window with one Japanese label) on this machine, in one run, and prints a
# table of figure, measured value, target and PASS/MISS; also how soon a
# notice's sound is heard (bench/sound_latency.sh).
#
#   bench/compare.sh BUILD_DIR
#
# BUILD_DIR should be a Release build with benchmarks on:
#   cmake -S . -B build/perf -G Ninja -DCMAKE_BUILD_TYPE=Release -DTANZO_BENCH=ON
# The script builds tanzo, tanzo_floor and tanzo_bench there if they are
# missing or stale (cmake --build, -j2), then runs everything on a private
# Xvfb with icewm. It takes about two and a half minutes; the idle measurement is
# 60 s. Set PERF_IDLE_SECONDS or PERF_STARTS to shorten a trial run (the
# figures are then not comparable with the targets' definitions).
# Exit status: 0 when every figure met its target, 1 when any missed or a
# measurement could not be made (the log says which), 2 when the build failed.
set -euo pipefail

build_dir=${1:?usage: bench/compare.sh BUILD_DIR}
build_dir=$(cd "$build_dir" && pwd)
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
starts=${PERF_STARTS:-5}
idle_seconds=${PERF_IDLE_SECONDS:-60}
settle_seconds=${PERF_SETTLE_SECONDS:-5}

cmake --build "$build_dir" -j2 --target tanzo tanzo_floor tanzo_bench >&2 || {
    echo "compare.sh: the build in $build_dir failed" >&2
    exit 2
}
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
[[ "$build_type" == Release ]] ||
    echo "compare.sh: warning: $build_dir is a '$build_type' build; the figures are meant for Release" >&2

export TANZO_E2E_ARTIFACTS=${TANZO_E2E_ARTIFACTS:-$build_dir/artifacts}
# shellcheck source=tests/e2e/lib.sh
source "$source_dir/tests/e2e/lib.sh"
# shellcheck source=tests/e2e/perf_lib.sh
source "$source_dir/tests/e2e/perf_lib.sh"
E2E_NAME=perf
e2e_init "$build_dir/tanzo"
FLOOR_BIN=$build_dir/tanzo_floor
BENCH_BIN=$build_dir/tanzo_bench
[[ -x "$FLOOR_BIN" && -x "$BENCH_BIN" ]] || e2e_fail "tanzo_floor or tanzo_bench missing in $build_dir"

ROWS=()  # figure|value|target|verdict
MISSED=0
row() { # figure, value, target text, verdict (PASS, MISS or INFO)
    ROWS+=("$1|$2|$3|$4")
    [[ "$4" != MISS ]] || MISSED=1
}
within() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; }

# --- the desktop and the data -------------------------------------------------
e2e_start_desktop
# One appointment later today, so the first tick loads and fills a row and
# every later tick evaluates alarms, while nothing falls due during the run.
now_minutes=$((10#$(date +%H) * 60 + 10#$(date +%M)))
appt_minutes=$((now_minutes + 120))
((appt_minutes <= 23 * 60 + 59)) || appt_minutes=$((23 * 60 + 59))
appt_fraction=$(awk -v m="$appt_minutes" 'BEGIN { printf "%.7f", m / 1440 }')
today=$(e2e_day_serial "$(date +%F)")
e2e_write_data_file <<EOF_DATA
$today,$appt_fraction,2,"会議室    ","定例の打合せ",0,0
EOF_DATA
e2e_log "appointment today at $((appt_minutes / 60)):$(printf %02d $((appt_minutes % 60)))"

# Starts $1 (tanzo or floor) in the background; sets STARTED_PID, STARTED_NS.
launch() {
    local bin=$TANZO_BIN
    [[ "$1" == floor ]] && bin=$FLOOR_BIN
    STARTED_NS=$(date +%s%N)
    QT_QPA_PLATFORM=xcb "$bin" >>"$E2E_TMP/$1.log" 2>&1 &
    STARTED_PID=$!
}

# Start-up: process start to a mapped window, polled every ~5 ms. One warm-up
# start of each first, so that both find the font and library caches warm.
# The board is ended as a person ends it, with its close label "×" (388, 1,
# 15 x 16 px): killed, it would leave a stale single-instance lock that the
# next start has to clear, which a normal start never meets.
stop_tanzo() {
    local pid=$1 wid
    for wid in $(perf_visible_windows "$pid"); do
        if xprop -id "$wid" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q UTILITY &&
            e2e_window_geometry "$wid"; then
            xdotool mousemove $((WIN_X + 395)) $((WIN_Y + 9)) click 1
            break
        fi
    done
    e2e_wait_exit "$pid" 5 || e2e_log "tanzo did not end by its close label; stopping it"
    perf_stop "$pid"
}
time_start() { # tanzo|floor; prints milliseconds
    local ms
    launch "$1"
    ms=$(perf_ms_until_visible "$STARTED_PID" "$STARTED_NS" 20) ||
        e2e_fail "$1 showed no window within 20 s (see $1.log)"
    if [[ "$1" == tanzo ]]; then
        stop_tanzo "$STARTED_PID"
    else
        perf_stop "$STARTED_PID"
    fi
    [[ ! -e "$TANZO_DATA_FILE.lock" ]] || e2e_log "a TANZO.DAT.lock was left behind"
    echo "$ms"
}
time_start tanzo >/dev/null
time_start floor >/dev/null
tanzo_ms=()
floor_ms=()
for ((i = 0; i < starts; i++)); do
    tanzo_ms+=("$(time_start tanzo)")
    floor_ms+=("$(time_start floor)")
done
e2e_log "start-up ms, tanzo: ${tanzo_ms[*]}; floor: ${floor_ms[*]}"
tanzo_start=$(perf_median "${tanzo_ms[@]}")
floor_start=$(perf_median "${floor_ms[@]}")
start_limit=$(awk -v f="$floor_start" 'BEGIN { printf "%.0f", f * 1.1 }')
verdict=MISS
within "$tanzo_start" "$start_limit" && verdict=PASS
row "start-up to window, median of $starts (ms)" "tanzo $tanzo_start / floor $floor_start" \
    "<= 1.1 x floor = $start_limit" "$verdict"

# --- memory and idle CPU: both programs side by side ---------------------------
# Where the team's own idle measurement exists, it runs alongside (on its own
# desktop, with the accessibility bus on as in the end-to-end tests) and its
# figure is the one held against the target; the side-by-side one below
# shows the floor's for comparison.
idle_script=$source_dir/bench/idle_cpu.sh
idle_script_pid=""
if [[ -f "$idle_script" ]]; then
    bash "$idle_script" "$TANZO_BIN" "$idle_seconds" >"$E2E_TMP/idle_cpu.out" 2>"$E2E_TMP/idle_cpu.log" &
    idle_script_pid=$!
    E2E_PIDS+=("$idle_script_pid")
fi
launch tanzo
tanzo_pid=$STARTED_PID
TANZO_PID=$tanzo_pid # lib.sh's teardown ends it on any exit
launch floor
floor_pid=$STARTED_PID
E2E_PIDS+=("$floor_pid")
perf_ms_until_visible "$tanzo_pid" "$STARTED_NS" 20 >/dev/null || e2e_fail "tanzo showed no window"
perf_ms_until_visible "$floor_pid" "$STARTED_NS" 20 >/dev/null || e2e_fail "the floor showed no window"
# The first tick loads the file and the flap animation fills the rows.
sleep "$settle_seconds"
e2e_screenshot board-and-floor
tanzo_hwm=$(perf_vm_hwm_kb "$tanzo_pid")
floor_hwm=$(perf_vm_hwm_kb "$floor_pid")
hwm_limit=$(awk -v f="$floor_hwm" 'BEGIN { printf "%.0f", f * 1.1 }')
verdict=MISS
within "$tanzo_hwm" "$hwm_limit" && verdict=PASS
row "peak resident memory after first fill (KiB, VmHWM)" "tanzo $tanzo_hwm / floor $floor_hwm" \
    "<= 1.1 x floor = $hwm_limit" "$verdict"

t0_ticks=$(perf_cpu_ticks "$tanzo_pid")
t0_ns=$(perf_cpu_ns "$tanzo_pid")
f0_ns=$(perf_cpu_ns "$floor_pid")
sleep "$idle_seconds"
t1_ticks=$(perf_cpu_ticks "$tanzo_pid")
t1_ns=$(perf_cpu_ns "$tanzo_pid")
f1_ns=$(perf_cpu_ns "$floor_pid")
kill -0 "$tanzo_pid" 2>/dev/null || e2e_fail "tanzo ended during the idle minute"
clk_tck=$(getconf CLK_TCK)
tanzo_idle_ms_min=$(awk -v d=$((t1_ns - t0_ns)) -v s="$idle_seconds" 'BEGIN { printf "%.1f", d / 1e6 * 60 / s }')
tanzo_idle_tick_ms_min=$(awk -v d=$((t1_ticks - t0_ticks)) -v h="$clk_tck" -v s="$idle_seconds" \
    'BEGIN { printf "%.0f", d * 1000 / h * 60 / s }')
floor_idle_ms_min=$(awk -v d=$((f1_ns - f0_ns)) -v s="$idle_seconds" 'BEGIN { printf "%.1f", d / 1e6 * 60 / s }')
tanzo_idle_pct=$(awk -v m="$tanzo_idle_ms_min" 'BEGIN { printf "%.4f", m / 60000 * 100 }')
verdict=MISS
within "$tanzo_idle_ms_min" 30 && within "$tanzo_idle_tick_ms_min" 30 && verdict=PASS
row "idle CPU over ${idle_seconds} s, nothing due (ms CPU per minute)" \
    "tanzo $tanzo_idle_ms_min ($tanzo_idle_pct %; utime+stime $tanzo_idle_tick_ms_min) / floor $floor_idle_ms_min" \
    "< 30 ms/min (0.05 % of a core)" "$verdict"
if [[ -n "$idle_script_pid" ]]; then
    idle_status=0
    wait "$idle_script_pid" || idle_status=$?
    cp "$E2E_TMP/idle_cpu.out" "$E2E_TMP/idle_cpu.log" "$E2E_ARTIFACTS/" 2>/dev/null || true
    script_ticks=$(sed -n 's/^idle cpu: \([0-9]*\) ms per minute (.*/\1/p' "$E2E_TMP/idle_cpu.out")
    script_ns=$(sed -n 's/^idle cpu: \([0-9.]*\) ms per minute on the CPU.*/\1/p' "$E2E_TMP/idle_cpu.out")
    if ((idle_status != 0)) || [[ -z "$script_ticks" || -z "$script_ns" ]]; then
        row "idle CPU, bench/idle_cpu.sh (ms CPU per minute)" "no figure (exit $idle_status, see idle_cpu.log)" \
            "< 30 ms/min" MISS
    else
        verdict=MISS
        within "$script_ns" 30 && within "$script_ticks" 30 && verdict=PASS
        row "idle CPU, bench/idle_cpu.sh, ${idle_seconds} s (ms CPU per minute)" \
            "tanzo $script_ns (utime+stime $script_ticks)" "< 30 ms/min (0.05 % of a core)" "$verdict"
    fi
fi
tanzo_hwm_end=$(perf_vm_hwm_kb "$tanzo_pid")
row "peak resident memory after the idle minute (KiB)" "tanzo $tanzo_hwm_end" "no growth over $tanzo_hwm" \
    "$( ((tanzo_hwm_end <= tanzo_hwm + 256)) && echo PASS || echo MISS)"
perf_stop "$tanzo_pid"
TANZO_PID=""
perf_stop "$floor_pid"

# --- the first notice's sound ----------------------------------------------------
# From the play call (made as the notice window opens) to sound at a private
# PulseAudio sink, with the player loaded cold and prepared (the board
# prepares it a minute before a notice).
sound_out=$E2E_TMP/sound_latency.out
if bash "$source_dir/bench/sound_latency.sh" "$build_dir" 3 >"$sound_out" 2>"$E2E_TMP/sound_latency.log"; then
    cp "$sound_out" "$E2E_ARTIFACTS/" 2>/dev/null || true
    cold_ms=$(sed -n 's/.*cold first play:.*(median \([0-9]*\)).*/\1/p' "$sound_out")
    prepared_ms=$(sed -n 's/.*prepared:.*(median \([0-9]*\)).*/\1/p' "$sound_out")
    verdict=MISS
    [[ -n "$cold_ms" && -n "$prepared_ms" ]] && within "$cold_ms" 100 && within "$prepared_ms" 100 &&
        verdict=PASS
    row "first notice's sound after its window, median of 3 (ms)" \
        "cold ${cold_ms:-none} / prepared ${prepared_ms:-none}" "< 100 ms" "$verdict"
else
    row "first notice's sound after its window (ms)" "no figure (see sound_latency.log)" "< 100 ms" MISS
fi

# --- the micro benchmarks ------------------------------------------------------
# Their budgets come from what each one blocks: the per-second tick, an
# opened window, and how long input waits while the board animates.
bench_json=$E2E_ARTIFACTS/tanzo_bench.json
bench_status=0
QT_QPA_PLATFORM=offscreen "$BENCH_BIN" --benchmark_filter='LoadAndSort|EvaluateAlarms|Fill|Editor' \
    --benchmark_out="$bench_json" --benchmark_out_format=json >"$E2E_ARTIFACTS/tanzo_bench.txt" 2>&1 ||
    bench_status=$?
# The results are written before the process tears down; a failure after
# that still leaves whole figures, and is reported on its own row.
"$E2E_PYTHON" -c 'import json, sys; sys.exit(not json.load(open(sys.argv[1]))["benchmarks"])' \
    "$bench_json" 2>/dev/null || e2e_fail "tanzo_bench gave no results (see tanzo_bench.txt)"
if ((bench_status != 0)); then
    row "tanzo_bench exit status" "$bench_status (after its results were written)" "0" MISS
fi
while IFS='|' read -r name value target verdict; do
    row "$name" "$value" "$target" "$verdict"
done < <("$E2E_PYTHON" - "$bench_json" <<'PY'
import json, sys
budgets = [  # name prefix, what is measured, limit in ms
    ("EvaluateAlarms", "real_time", 100.0, "< 100 ms (a tenth of a tick)"),
    ("LoadAndSort", "real_time", 100.0, "< 100 ms (inside one tick)"),
    ("BM_EditorOpenFullList", "real_time", 500.0, "< 500 ms (window opens at once)"),
    ("BM_EditorSaveFullList", "real_time", 500.0, "< 500 ms"),
    ("BM_ForcedFillInterval10", "longest_gap_ms", 100.0, "longest event-loop gap < 100 ms"),
]
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("run_type") == "aggregate":
        continue
    for prefix, key, limit, text in budgets:
        if not b["name"].startswith(prefix):
            continue
        if key == "real_time":
            ms = b["real_time"] * scale[b.get("time_unit", "ns")]
            label = "bench " + b["name"] + " (ms)"
        else:
            ms = b[key]
            label = "bench " + b["name"] + " " + key
        print(f"{label}|{ms:.3f}|{text}|{'PASS' if ms < limit else 'MISS'}")
        if prefix == "BM_ForcedFillInterval10":
            total = b["real_time"] * scale[b.get("time_unit", "ns")]
            print(f"bench {b['name']} duration (ms)|{total:.0f}|set by the speed setting|INFO")
        break
    else:
        ms = b["real_time"] * scale[b.get("time_unit", "ns")]
        print(f"bench {b['name']} (ms)|{ms:.3f}|none|INFO")
PY
)

# --- the table --------------------------------------------------------------------
{
    printf '\n%-72s | %-62s | %-34s | %s\n' figure measured target verdict
    printf '%s\n' "$(printf '%.0s-' {1..170})"
    for r in "${ROWS[@]}"; do
        IFS='|' read -r name value target verdict <<<"$r"
        printf '%-72s | %-62s | %-34s | %s\n' "$name" "$value" "$target" "$verdict"
    done
    printf '\nmachine: %s cores, load average %s; start-up ms, tanzo: %s; floor: %s\n' \
        "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)" "${tanzo_ms[*]}" "${floor_ms[*]}"
} | tee "$E2E_ARTIFACTS/compare.txt"
exit "$MISSED"
