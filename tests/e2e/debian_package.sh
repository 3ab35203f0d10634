#!/usr/bin/env bash
# The Debian package as apt would receive it: cpack builds it from the build
# tree, and its file list, its control fields and lintian's verdict are
# checked without installing it.
#   debian_package.sh path/to/tanzo BUILD_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
build_dir=${2:?usage: $0 path/to/tanzo BUILD_DIR}
[[ -f "$build_dir/CPackConfig.cmake" ]] || e2e_fail "no CPackConfig.cmake in $build_dir"

out=$E2E_TMP/package
cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$out" >"$E2E_ARTIFACTS/cpack.log" 2>&1 ||
    e2e_fail "cpack failed (see cpack.log)"
debs=("$out"/tanzo_*.deb)
[[ -f "${debs[0]}" ]] || e2e_fail "cpack made no tanzo_*.deb (see cpack.log)"
deb=${debs[0]}
dpkg-deb --contents "$deb" >"$E2E_ARTIFACTS/deb-contents.txt"
dpkg-deb --field "$deb" >"$E2E_ARTIFACTS/deb-fields.txt"

# Everything the board needs at run time, where the program and a desktop
# look for it.
expected=(
    ./usr/bin/tanzo
    "./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)/tanzo/libtanzo_sound.so"
    "./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)/tanzo/libtanzo_channel.so"
    ./usr/share/man/man1/tanzo.1.gz
    ./usr/share/applications/tanzo.desktop
    ./usr/share/metainfo/com.merovane.Tanzo.metainfo.xml
    ./usr/share/tanzo/media/Chord.wav
    ./usr/share/tanzo/help/index.html
    ./usr/share/tanzo/help/options.html
    ./usr/share/doc/tanzo/copyright
    ./usr/share/doc/tanzo/changelog.gz
)
for size in 16 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/tanzo.png")
done
for file in "${expected[@]}"; do
    awk -v f="$file" '$NF == f { found = 1 } END { exit !found }' "$E2E_ARTIFACTS/deb-contents.txt" ||
        e2e_fail "the package lacks $file"
done
# Installed as root and not writable by others, the program executable.
grep -E ' \./usr/bin/tanzo$' "$E2E_ARTIFACTS/deb-contents.txt" | grep -q '^-rwxr-xr-x root/root' ||
    e2e_fail "usr/bin/tanzo is not an executable owned by root: $(grep ' ./usr/bin/tanzo$' "$E2E_ARTIFACTS/deb-contents.txt")"
! awk '{ print $NF }' "$E2E_ARTIFACTS/deb-contents.txt" | grep -v '^\./usr/' | grep -qv '^\./$' ||
    e2e_fail "the package puts files outside /usr"

field() { dpkg-deb --field "$deb" "$1"; }
[[ "$(field Package)" == tanzo ]] || e2e_fail "Package is '$(field Package)'"
project_version=$(sed -n 's/^project(tanzo VERSION \([0-9.]*\).*/\1/p' "$E2E_LIB_DIR/../../CMakeLists.txt")
[[ "$(field Version)" == "$project_version" ]] || e2e_fail "Version is '$(field Version)', not $project_version"
[[ "$(field Architecture)" == "$(dpkg --print-architecture)" ]] || e2e_fail "Architecture is '$(field Architecture)'"
[[ -n "$(field Section)" && -n "$(field Description)" ]] || e2e_fail "Section or Description is empty"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || e2e_fail "Maintainer '$(field Maintainer)' is not 'Name <address>'"
# The libraries shlibdeps finds in the program and in its sound module, and
# what the board reads at run time that no library names.
depends=$(field Depends)
for pkg in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6multimedia6 libical3 \
    fonts-ipafont-gothic qt6-translations-l10n; do
    [[ ",$depends," =~ [,\ ]$pkg[\ ,\(] ]] || e2e_fail "Depends lacks $pkg: $depends"
done
[[ "$(field Recommends)" == *pulseaudio* ]] || e2e_fail "Recommends names no sound server: $(field Recommends)"

# lintian, where installed: errors fail the test; warnings are kept for reading.
if command -v lintian >/dev/null; then
    lintian --no-tag-display-limit "$deb" >"$E2E_ARTIFACTS/lintian.txt" 2>&1 || true
    ! grep -q '^E: ' "$E2E_ARTIFACTS/lintian.txt" ||
        e2e_fail "lintian reports errors: $(grep '^E: ' "$E2E_ARTIFACTS/lintian.txt")"
fi
e2e_pass
