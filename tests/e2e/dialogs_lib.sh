# Helpers for the tests of the secondary windows (schedule editor, options,
# version window, help). Sourced after lib.sh:
#
#   source "$(dirname "$0")/lib.sh"
#   source "$(dirname "$0")/dialogs_lib.sh"
#
# shellcheck shell=bash disable=SC2034

# Titles of the program's visible windows: "id<TAB>title" a line, the title
# without the ideographic spaces that fill up a place (notice captions).
dlg_window_titles() {
    local wid name
    for wid in $(e2e_tanzo_windows); do
        name=$(xdotool getwindowname "$wid" 2>/dev/null) || continue
        # shellcheck disable=SC2001 # a class of two characters, one of them multibyte
        name=$(sed 's/[　 ]*$//' <<<"$name")
        printf '%s\t%s\n' "$wid" "$name"
    done
}

# The id of the program's visible window titled $1; waits up to $2 seconds
# (default 10). Prints nothing and fails when there is none.
dlg_find_window() {
    local title=$1 limit=${2:-10} tries=0 wid
    while ((tries < limit * 10)); do
        wid=$(dlg_window_titles | awk -F'\t' -v t="$title" '$2 == t { print $1; exit }')
        if [[ -n "$wid" ]]; then
            echo "$wid"
            return 0
        fi
        sleep 0.2
        tries=$((tries + 2))
    done
    return 1
}

# How many visible windows of the program are titled $1.
dlg_count_windows() {
    dlg_window_titles | awk -F'\t' -v t="$1" '$2 == t { n++ } END { print n + 0 }'
}

# Waits up to $2 seconds until no visible window has the title $1.
dlg_wait_window_gone() {
    local title=$1 limit=${2:-10} tries=0
    while ((tries < limit * 10)); do
        [[ $(dlg_count_windows "$title") -eq 0 ]] && return 0
        sleep 0.1
        tries=$((tries + 1))
    done
    return 1
}

# Screen rectangle "x y w h" of the first accessible object of the program
# whose role is $1 and whose name is exactly $2 (what a screen reader finds).
dlg_accessible_rect() {
    local role=$1 name=$2
    e2e_accessible_dump 5 2>/dev/null | "$E2E_PYTHON" -c '
import re, sys
role, name = sys.argv[1], sys.argv[2]
for line in sys.stdin:
    m = re.match(r"\s*(.+?) name=(\x27.*?\x27|\".*?\")(?: text=.*?)?(?: desc=.*?)? rect=(-?\d+),(-?\d+),(\d+),(\d+)(?: focused)?$", line.rstrip("\n"))
    if not m or m.group(1) != role:
        continue
    if eval(m.group(2)) == name and int(m.group(5)) > 0:
        print(m.group(3), m.group(4), m.group(5), m.group(6))
        sys.exit(0)
sys.exit(1)
' "$role" "$name"
}

# Clicks the middle of the accessible object with role $1 and name $2 (x
# offset $3 from its left edge instead, for check boxes whose box is left).
dlg_click_accessible() {
    local rect x y w h
    rect=$(dlg_accessible_rect "$1" "$2") || e2e_fail "no $1 \"$2\" on the screen"
    read -r x y w h <<<"$rect"
    local cx=$((x + ${3:-$((w / 2))})) cy=$((y + h / 2))
    xdotool mousemove --sync "$cx" "$cy" click 1
}

# Clicks at ($2, $3) twips from the client area's top-left of window $1, the
# units of the forms' control tables (15 twips a pixel at 96 dpi).
dlg_click_twips() {
    e2e_click_in "$1" $(($2 / 15)) $(($3 / 15))
}

# Gives window $1 the keyboard focus through the window manager.
dlg_focus() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
}

# Types $1 into the focused control (Unicode text included) and lets it settle.
dlg_type() {
    # xdotool types a character outside the keyboard map by binding it to a
    # spare key for a moment; a busy program may read that key only after
    # the next character has taken it. One such character at a time, each
    # given time to arrive.
    if LC_ALL=C grep -q '[^ -~]' <<<"$1"; then
        local i
        for ((i = 0; i < ${#1}; i++)); do
            xdotool type --delay 60 -- "${1:i:1}"
            sleep 0.15
        done
    else
        xdotool type --delay 60 -- "$1"
    fi
    sleep 0.3
}

dlg_key() {
    xdotool key --clearmodifiers --delay 80 "$@"
    sleep 0.3
}

# Checks that window $1 stands in the middle of the screen (its frame
# included, within $2 pixels).
dlg_check_centred() {
    local wid=$1 slack=${2:-16} frame left right top bottom
    e2e_window_geometry "$wid" || e2e_fail "window $wid is gone"
    frame=$(xprop -id "$wid" _NET_FRAME_EXTENTS 2>/dev/null | sed 's/.*= //') || frame=""
    IFS=', ' read -r left right top bottom <<<"${frame:-0, 0, 0, 0}"
    local fx=$((WIN_X - ${left:-0})) fy=$((WIN_Y - ${top:-0}))
    local fw=$((WIN_W + ${left:-0} + ${right:-0})) fh=$((WIN_H + ${top:-0} + ${bottom:-0}))
    local dx=$(((1280 - fw) / 2 - fx)) dy=$(((1024 - fh) / 2 - fy))
    ((${dx#-} <= slack && ${dy#-} <= slack)) ||
        e2e_fail "window $wid (${fw}x$fh at $fx,$fy with its frame) is not centred"
}

# The fake clock's time of day as seconds since midnight, given the moment
# ($1, "YYYY-MM-DD hh:mm:ss") the program was started at and the real epoch
# second of the start ($2).
dlg_fake_seconds_of_day() {
    local base elapsed
    base=$(date -u -d "$1" +%s)
    elapsed=$(($(date +%s) - $2))
    echo $(((base + elapsed) % 86400))
}
