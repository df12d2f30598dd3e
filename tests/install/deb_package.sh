#!/usr/bin/env bash
# Builds the Debian package from a build folder with cpack and checks it as apt would see it: its
# name and fields, a dependency list that brings every runtime package (named, installable here, and
# covering every library the program links), the files it puts on the desktop, and a program that runs
# from the unpacked tree against the system's libraries.
# Usage: deb_package.sh BUILD_DIR VERSION
set -euo pipefail
build_dir=$1
version=$2
app_id=io.github.vantor.Vantor

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# cpack packages what the build folder holds; it builds nothing itself with Ninja.
if ! cpack --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    exit 1
fi
deb=$work/out/vantor_${version}_$(dpkg --print-architecture).deb
if [ ! -f "$deb" ]; then
    echo "FAIL: cpack made no $(basename "$deb"); it made: $(ls "$work/out")" >&2
    exit 1
fi

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = vantor ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Section)" = video ] || fail "Section is '$(field Section)'"
field Maintainer | grep -qE '^[^<]+ <[^>]+@[^>]+>$' \
    || fail "Maintainer '$(field Maintainer)' is not 'Name <address>'"
[ -n "$(field Description)" ] || fail "the package has no description"

# Dependencies: the runtime packages are named outright, as the loaded-at-run-time ones (the xcb and
# Wayland platform plugins, the fonts) have no linked library that would name them.
depends=$(field Depends)
depends_names=" $(echo "$depends" | tr ',|' '\n\n' | sed -e 's/(.*)//' -e 's/:.*//' | xargs) "
runtime_packages=(
    libmpv2 libqt6core6 libqt6gui6 libqt6widgets6 libqt6opengl6 libqt6openglwidgets6 libqt6dbus6
    qt6-qpa-plugins qt6-wayland libxcb1 libxcb-keysyms1 fonts-noto-cjk fonts-arphic-ukai fonts-urw-base35 fonts-dejavu-core
)
for package in "${runtime_packages[@]}"; do
    [[ $depends_names == *" $package "* ]] || fail "Depends does not name $package: $depends"
done
# Every name and version in the list must exist in Debian 12 as installed here, or apt refuses it.
dpkg-checkbuilddeps -d "$depends" /dev/null || fail "this Debian cannot satisfy Depends: $depends"

# The package's files, where the desktop looks for them.
dpkg-deb --contents "$deb" | awk '{ print $6 }' | sed 's#^\./#/#' >"$work/contents"
for file in /usr/bin/vantor /usr/share/applications/$app_id.desktop /usr/share/metainfo/$app_id.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/vantor.svg /usr/share/icons/hicolor/48x48/apps/vantor.png \
    /usr/share/icons/hicolor/256x256/apps/vantor.png; do
    grep -qxF "$file" "$work/contents" || fail "the package lacks $file"
done
grep -vE '^/usr/(bin|share)/' "$work/contents" | grep -vxE '/usr/' >"$work/elsewhere" || true
[ ! -s "$work/elsewhere" ] || fail "files outside /usr/bin and /usr/share: $(xargs <"$work/elsewhere")"

root=$work/root
dpkg-deb --extract "$deb" "$root"
program=$root/usr/bin/vantor
[ -x "$program" ] || {
    fail "the unpacked program is not executable"
    exit 1
}
readelf --sections "$program" | grep -q '\.debug_info' && fail "the packaged program is not stripped"

# Each library the program links must come from a package that Depends names. The owner is looked up
# under both spellings of a merged /usr, since dpkg knows each file by the path its package gave.
owner_of() {
    local path owner
    for path in "$1" "$(readlink -f "$1")" "${1#/usr}" "/usr${1#/usr}"; do
        owner=$(dpkg-query --search "$path" 2>/dev/null | sed -n '1s/[:,].*//p') || continue
        [ -n "$owner" ] && echo "$owner" && return 0
    done
    return 1
}
ldd "$program" >"$work/ldd"
while read -r library; do
    path=$(awk -v lib="$library" '$1 == lib && $2 == "=>" { print $3; exit }' "$work/ldd")
    if [ -z "$path" ] || [ ! -e "$path" ]; then
        fail "the linked library $library is not found on this system"
        continue
    fi
    owner=$(owner_of "$path") || owner=""
    [[ -n $owner && $depends_names == *" $owner "* ]] \
        || fail "$library comes from '$owner', which Depends does not name"
done < <(readelf --dynamic "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')

output=$(cd "$work" && QT_QPA_PLATFORM=offscreen "$program" --version 2>&1) \
    || fail "the unpacked program fails with --version: $output"
[ "$output" = "vantor $version" ] || fail "the unpacked program prints '$output' for --version"

[ $failures -eq 0 ] || exit 1
echo "Debian package $(basename "$deb"): all checks passed"
