#!/usr/bin/env bash
# The Debian package as apt would receive it: built as a user builds it, from
# a Release tree of its own (kept, so later runs only rebuild what changed),
# with the hardening Debian builds its packages with; its file list, its
# control fields, its AppStream description and lintian's verdict are checked
# without installing it.
#   debian_package.sh path/to/tanzo PACKAGE_TREE
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
build_dir=${2:?usage: $0 path/to/tanzo PACKAGE_TREE}
source_dir=$(cd "$E2E_LIB_DIR/../.." && pwd)

if [[ ! -f "$build_dir/build.ninja" ]]; then
    cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DTANZO_TESTS=OFF -DTANZO_BENCH=OFF >"$E2E_ARTIFACTS/package-configure.log" 2>&1 ||
        e2e_fail "the Release tree does not configure (see package-configure.log)"
fi
cmake --build "$build_dir" -j "${TANZO_TEST_JOBS:-2}" >"$E2E_ARTIFACTS/package-build.log" 2>&1 ||
    e2e_fail "the Release tree does not build (see package-build.log)"

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
    "./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)/tanzo/libtanzo_calendars.so"
    ./usr/share/man/man1/tanzo.1.gz
    ./usr/share/applications/tanzo.desktop
    ./usr/share/icons/hicolor/scalable/apps/tanzo.svg
    ./usr/share/lintian/overrides/tanzo
    ./usr/share/metainfo/com.merovane.tanzo.metainfo.xml
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
[[ "$(field Homepage)" == https://* ]] || e2e_fail "Homepage is '$(field Homepage)'"
# The libraries shlibdeps finds in the program and in its modules; a
# Japanese font, any of those the program maps its faces to; and, only
# recommended, what the board does without: the toolkit's translations, a
# sound server and the decoders.
depends=$(field Depends)
for pkg in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6multimedia6 libical3; do
    [[ ",$depends," =~ [,\ ]$pkg[\ ,\(] ]] || e2e_fail "Depends lacks $pkg: $depends"
done
[[ "$depends" == *"fonts-ipafont-gothic | fonts-ipaexfont-gothic | fonts-noto-cjk | fonts-vlgothic"* ]] ||
    e2e_fail "Depends does not offer the four Japanese fonts: $depends"
[[ "$depends" != *qt6-translations-l10n* ]] || e2e_fail "Depends requires the translations: $depends"
recommends=$(field Recommends)
for want in qt6-translations-l10n "pulseaudio | pipewire-pulse" gstreamer1.0-plugins-good; do
    [[ "$recommends" == *"$want"* ]] || e2e_fail "Recommends lacks $want: $recommends"
done

# Debian's hardening reached the program and every module.
root=$E2E_TMP/root
dpkg-deb --extract "$deb" "$root"
for elf in "$root/usr/bin/tanzo" "$root"/usr/lib/*/tanzo/*.so; do
    [[ "$(readelf -d "$elf")" == *BIND_NOW* ]] || e2e_fail "${elf#"$root"} is not linked with -z now"
    [[ "$(readelf -lW "$elf")" == *GNU_RELRO* ]] || e2e_fail "${elf#"$root"} is not linked with -z relro"
done
symbols=$(readelf --dyn-syms -W "$root/usr/bin/tanzo")
[[ "$symbols" == *__stack_chk_fail* ]] || e2e_fail "the program is not built with the stack protector"
[[ "$symbols" == *_chk@* ]] || e2e_fail "the program calls no fortified function"

# The AppStream description as shipped, strictly.
appstreamcli validate --pedantic --no-net "$root/usr/share/metainfo/com.merovane.tanzo.metainfo.xml" \
    >"$E2E_ARTIFACTS/appstream-pedantic.txt" 2>&1 ||
    e2e_fail "appstreamcli --pedantic: $(cat "$E2E_ARTIFACTS/appstream-pedantic.txt")"
! grep -qE '^[EWI]: ' "$E2E_ARTIFACTS/appstream-pedantic.txt" ||
    e2e_fail "appstreamcli --pedantic remarks: $(cat "$E2E_ARTIFACTS/appstream-pedantic.txt")"

# lintian: no error, no warning, and no hardening tag at any level.
command -v lintian >/dev/null || e2e_fail "missing tool lintian (run scripts/setup test)"
lintian --display-info --tag-display-limit 0 "$deb" >"$E2E_ARTIFACTS/lintian.txt" 2>&1 || true
! grep -qE '^[EW]: ' "$E2E_ARTIFACTS/lintian.txt" ||
    e2e_fail "lintian: $(grep -E '^[EW]: ' "$E2E_ARTIFACTS/lintian.txt")"
! grep -q ' hardening-' "$E2E_ARTIFACTS/lintian.txt" ||
    e2e_fail "lintian: $(grep ' hardening-' "$E2E_ARTIFACTS/lintian.txt")"
e2e_pass
