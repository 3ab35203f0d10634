#!/usr/bin/env bash
# The launcher entry and the AppStream description as a desktop's software
# centre reads them: both validate, they agree with each other and with the
# build (program name, icon name, version), and an install into a fresh
# prefix puts them, the icons, the chord and the help where a desktop looks.
#   desktop_metadata.sh path/to/tanzo   (the build tree is the executable's folder)
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"
build_dir=$(dirname "$TANZO_BIN")
source_dir=$(cd "$E2E_LIB_DIR/../.." && pwd)
desktop=$source_dir/packaging/tanzo.desktop
metainfo=$source_dir/packaging/com.merovane.tanzo.metainfo.xml

for tool in desktop-file-validate appstreamcli identify; do
    command -v "$tool" >/dev/null || e2e_fail "missing tool $tool (run scripts/setup)"
done

# --- the files as shipped ------------------------------------------------------
desktop-file-validate "$desktop" >"$E2E_ARTIFACTS/desktop-file-validate.txt" 2>&1 ||
    e2e_fail "desktop-file-validate rejects tanzo.desktop: $(cat "$E2E_ARTIFACTS/desktop-file-validate.txt")"
# desktop-file-validate exits 0 on hints too; treat its warnings as faults.
! grep -qiE 'warning|error' "$E2E_ARTIFACTS/desktop-file-validate.txt" ||
    e2e_fail "desktop-file-validate warns: $(cat "$E2E_ARTIFACTS/desktop-file-validate.txt")"
appstreamcli validate --pedantic --no-net "$metainfo" >"$E2E_ARTIFACTS/appstream-validate.txt" 2>&1 ||
    e2e_fail "appstreamcli rejects the metainfo: $(cat "$E2E_ARTIFACTS/appstream-validate.txt")"

desktop_key() { # key: the value from the [Desktop Entry] group
    awk -F= -v k="$1" '/^\[/ { g = $0 } g == "[Desktop Entry]" && $1 == k { sub(/^[^=]*=/, ""); print; exit }' "$desktop"
}
meta_find() { # ElementTree path: the text or, with a second argument, that attribute
    "$E2E_PYTHON" - "$metainfo" "$1" "${2:-}" <<'PY'
import sys
import xml.etree.ElementTree as ET
node = ET.parse(sys.argv[1]).getroot().find(sys.argv[2])
if node is not None:
    print(node.get(sys.argv[3]) if sys.argv[3] else (node.text or "").strip())
PY
}

project_version=$(sed -n 's/^project(tanzo VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
[[ -n "$project_version" ]] || e2e_fail "cannot read the project version from CMakeLists.txt"
# A table of what must agree: description, found, expected.
checks=(
    "Exec runs the installed program|$(desktop_key Exec)|tanzo"
    "Icon names the installed icon|$(desktop_key Icon)|tanzo"
    "Japanese name is the application title|$(desktop_key 'Name[ja]')|スケジュールヨルカLite"
    "window class matches the program|$(desktop_key StartupWMClass)|tanzo"
    "metainfo launches the shipped entry|$(meta_find "./launchable[@type='desktop-id']")|tanzo.desktop"
    "metainfo provides the program|$(meta_find ./provides/binary)|tanzo"
    "metainfo Japanese name|$(meta_find "./name[@{http://www.w3.org/XML/1998/namespace}lang='ja']")|スケジュールヨルカLite"
    "newest release is the built version|$(meta_find ./releases/release version)|$project_version"
    "metainfo id is lower case|$(meta_find ./id | tr '[:upper:]' '[:lower:]')|$(meta_find ./id)"
    "metainfo file is named for its id|$(meta_find ./id).metainfo.xml|$(basename "$metainfo")"
    "Japanese keywords are given|$([[ -n "$(desktop_key 'Keywords[ja]')" ]] && echo yes)|yes"
    "metainfo names a screenshot|$([[ "$(meta_find ./screenshots/screenshot/image)" == https://* ]] && echo yes)|yes"
)
for row in "${checks[@]}"; do
    IFS='|' read -r what found expected <<<"$row"
    [[ "$found" == "$expected" ]] || e2e_fail "$what: found '$found', expected '$expected'"
done

# --- the install -----------------------------------------------------------------
prefix=$E2E_TMP/prefix
cmake --install "$build_dir" --prefix "$prefix" >"$E2E_TMP/install.log" 2>&1 ||
    e2e_fail "cmake --install $build_dir failed (see install.log)"
(cd "$prefix" && find . | sort) >"$E2E_ARTIFACTS/installed-files.txt"

expected=(
    bin/tanzo
    share/applications/tanzo.desktop
    share/icons/hicolor/scalable/apps/tanzo.svg
    share/metainfo/com.merovane.tanzo.metainfo.xml
    share/tanzo/media/Chord.wav
)
for size in 16 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/tanzo.png")
done
for file in "${expected[@]}"; do
    [[ -s "$prefix/$file" ]] || e2e_fail "the install lacks $file"
done
# Each icon is a PNG of the size its folder promises.
for size in 16 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/tanzo.png
    got=$(identify -format '%m %wx%h' "$icon" 2>/dev/null) || e2e_fail "cannot read $icon"
    [[ "$got" == "PNG ${size}x${size}" ]] || e2e_fail "icon ${size}x${size} is $got"
done
"$E2E_PYTHON" - "$prefix/share/icons/hicolor/scalable/apps/tanzo.svg" <<'PY' || e2e_fail "the scalable icon is not a square SVG"
import sys
import xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
assert root.tag == "{http://www.w3.org/2000/svg}svg" and root.get("viewBox") == "0 0 32 32"
PY
help_pages=$(find "$prefix/share/tanzo/help" -type f 2>/dev/null | wc -l)
((help_pages > 0)) || e2e_fail "the install holds no help pages under share/tanzo/help"
cmp -s "$desktop" "$prefix/share/applications/tanzo.desktop" ||
    e2e_fail "the installed tanzo.desktop differs from the shipped one"
desktop-file-validate "$prefix/share/applications/tanzo.desktop" ||
    e2e_fail "the installed tanzo.desktop does not validate"
appstreamcli validate --pedantic --no-net "$prefix/share/metainfo/com.merovane.tanzo.metainfo.xml" >/dev/null 2>&1 ||
    e2e_fail "the installed metainfo does not validate"
e2e_pass
