#!/usr/bin/env bash
# An installed copy: the install puts the program, its chord, help and icons
# and the launcher entry where a desktop looks for them, and the installed
# program starts from there.
#   installed.sh path/to/tanzo BUILD_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
build_dir=${2:?usage: $0 path/to/tanzo BUILD_DIR}

prefix=$E2E_TMP/prefix
cmake --install "$build_dir" --prefix "$prefix" >"$E2E_TMP/install.log" 2>&1 ||
    e2e_fail "cmake --install failed (see install.log)"
(cd "$prefix" && find . -type f -o -type d | sort) >"$E2E_ARTIFACTS/installed-files.txt"

expected=(
    bin/tanzo
    share/tanzo/media/Chord.wav
    share/applications/tanzo.desktop
    share/metainfo/com.merovane.tanzo.metainfo.xml
    "lib/$(gcc -print-multiarch)/tanzo/libtanzo_sound.so"
    "lib/$(gcc -print-multiarch)/tanzo/libtanzo_channel.so"
    "lib/$(gcc -print-multiarch)/tanzo/libtanzo_calendars.so"
)
for size in 16 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/tanzo.png")
done
for file in "${expected[@]}"; do
    [[ -s "$prefix/$file" ]] || e2e_fail "the install lacks $file"
done
[[ -d "$prefix/share/tanzo/help" ]] || e2e_fail "the install lacks share/tanzo/help"
[[ -x "$prefix/bin/tanzo" ]] || e2e_fail "the installed tanzo is not executable"
# The installed chord is the 16-bit PCM the player decodes.
soxi "$prefix/share/tanzo/media/Chord.wav" 2>/dev/null | grep -q '16-bit Signed Integer PCM' ||
    e2e_fail "the installed Chord.wav is not 16-bit PCM"

TANZO_BIN=$prefix/bin/tanzo
e2e_start_desktop
today=$(e2e_day_serial 2027-03-15)
e2e_write_data_file <<EOF_DATA
$today,.4375,1,"本社      ","定例会議",0,0
$today,.5,3,"会議室    ","資料持参",0,0
$today,.625,2,"東京駅    ","",0,0
EOF_DATA
e2e_start_tanzo --faketime "@2027-03-15 09:50:00"
board=$(e2e_wait_board)
e2e_wait_text "会議室" 15 || e2e_fail "the installed board never showed its appointments"
e2e_screenshot installed-board
# The board alone, as the AppStream description shows it.
import -window "$board" "$E2E_ARTIFACTS/screenshot-board.png" 2>/dev/null ||
    e2e_fail "cannot capture the board window"
# A command line reaches the installed board through the installed calendar
# and channel modules; the board holds the instance lock, so nothing else
# could answer.
timeout 20 "$TANZO_BIN" --list >"$E2E_TMP/list.out" 2>&1 ||
    e2e_fail "--list did not reach the installed board: $(cat "$E2E_TMP/list.out")"
e2e_click_in "$board" $((388 + 15 / 2)) $((1 + 16 / 2))
e2e_wait_tanzo_exit 10 || e2e_fail "the installed program kept running after its exit"
e2e_pass
