# Helpers for the board and window-behaviour end-to-end tests. Sourced after
# lib.sh:
#
#   source "$(dirname "$0")/lib.sh"
#   source "$(dirname "$0")/board_lib.sh"
#   e2e_init "$@"
#   e2e_start_desktop
#
# shellcheck shell=bash disable=SC2034

# Window ids (one a line) of the program's visible windows whose title is
# exactly $1.
board_windows_titled() {
    local wid
    for wid in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        [[ "$(xdotool getwindowname "$wid" 2>/dev/null)" == "$1" ]] && echo "$wid"
    done
}

# Waits up to $2 seconds (default 10) for a visible window titled exactly $1
# and prints its id (the first one found).
board_wait_titled() {
    local title=$1 limit=${2:-10} tries=0 found
    while ((tries < limit * 10)); do
        found=$(board_windows_titled "$title" | head -n1)
        if [[ -n "$found" ]]; then
            echo "$found"
            return 0
        fi
        sleep 0.1
        tries=$((tries + 1))
    done
    return 1
}

# True when the window manager lists a client titled exactly $1 (what a task
# bar shows a button for).
board_wm_lists() {
    wmctrl -l | awk '{ $1 = $2 = $3 = ""; sub(/^ +/, ""); print }' | grep -qxF -- "$1"
}

# The tray icon, the program's window embedded in icewm's tray (a small
# square at the bottom); prints its id.
board_tray_icon() {
    local wid
    for wid in $(xdotool search --classname '^tanzo$' 2>/dev/null); do
        e2e_window_geometry "$wid" || continue
        if ((WIN_W <= 32 && WIN_H <= 32 && WIN_Y > 900)) &&
            xwininfo -id "$wid" | grep -q IsViewable; then
            echo "$wid"
            return 0
        fi
    done
    return 1
}

# Clicks the OK button of notice window $1. The button keeps its distance
# from the right edge (8 px) and sits 51 px from the top, 57 x 27 px.
board_click_ok() {
    e2e_window_geometry "$1" || e2e_fail "notice window $1 is gone"
    xdotool mousemove 0 0
    xdotool mousemove --sync $((WIN_X + WIN_W - 8 - 28)) $((WIN_Y + 51 + 13)) click 1
}

# Waits until the rows stop changing (the flap animation has ended), as seen
# on the screen: a row's accessible name changes only once it is drawn. While
# they are drawn the menu's 表示 item is disabled, and the arrow keys skip it.
board_wait_drawn() {
    local before after tries=0
    before=$(import -window "$board" rgb:- 2>/dev/null | md5sum)
    while ((tries++ < 40)); do
        sleep 0.4
        after=$(import -window "$board" rgb:- 2>/dev/null | md5sum)
        [[ "$after" == "$before" ]] && return 0
        before=$after
    done
    e2e_fail "the board kept changing for 16 s"
}

# Opens the board's command menu: a click on "□" at the top left. The
# pointer leaves first: "mousemove --sync" to where it already is waits for
# a motion that never comes (about 20 s).
board_open_menu() {
    xdotool mousemove 0 0
    e2e_click_in "$1" 7 8
    sleep 0.6
}

# Opens the command menu and types the keys "$2..." into it (for example
# Down Down Down Right Return for the size submenu's first item).
board_menu_keys() {
    local board=$1
    shift
    board_open_menu "$board"
    local key
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.15
    done
    sleep 0.5
}

# Positions of the command menu's items as seen from the keyboard (the
# separators are skipped): Down pressed this many times lands on the item.
readonly BOARD_MENU_SIZE=4 BOARD_MENU_SHOWTASK=6 BOARD_MENU_TOPMOST=7 BOARD_MENU_ACTDISP=8

# Presses Down $1 times, as arguments for board_menu_keys.
board_downs() {
    local i
    for ((i = 0; i < $1; i++)); do printf 'Down '; done
}

# Waits up to $2 seconds for window $1 to have outer size $3 x $4 pixels.
board_wait_size() {
    local wid=$1 limit=$2 w=$3 h=$4 tries=0
    while ((tries < limit * 10)); do
        if e2e_window_geometry "$wid" && [[ "$WIN_W" == "$w" && "$WIN_H" == "$h" ]]; then
            return 0
        fi
        sleep 0.1
        tries=$((tries + 1))
    done
    return 1
}

# The _NET_WM_STATE atoms of window $1, one line.
board_wm_state() {
    xprop -id "$1" _NET_WM_STATE 2>/dev/null
}

# Client windows bottom to top, as the window manager stacks them.
board_stacking() {
    xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g'
}

# Index of window $1 in the stacking order (higher is nearer the top); the
# id is compared as a number, since xprop prints it in hex.
board_stack_index() {
    local target=$(($1)) i=0 w
    for w in $(board_stacking); do
        if (($(printf '%d' "$w") == target)); then
            echo "$i"
            return 0
        fi
        i=$((i + 1))
    done
    echo -1
}

# CPU time (user + system, in clock ticks) that process $1 has used.
board_cpu_ticks() {
    local stat
    stat=$(cat "/proc/$1/stat") || return 1
    stat=${stat##*) }
    # Fields after the command: state is 1, utime 12, stime 13.
    awk '{ print $12 + $13 }' <<<"$stat"
}
