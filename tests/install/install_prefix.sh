#!/usr/bin/env bash
# Installs a build folder into a temporary prefix and checks what a desktop sees there: the program, a
# valid launcher that opens videos with it, the icon in every size and valid software-centre metadata.
# Usage: install_prefix.sh BUILD_DIR VERSION
set -euo pipefail
build_dir=$1
version=$2
source_dir=${VANTOR_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
app_id=io.github.vantor.Vantor

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_DATA_HOME=$work/data
prefix=$work/prefix
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log"

desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
for file in bin/vantor share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
    share/icons/hicolor/scalable/apps/vantor.svg share/icons/hicolor/48x48/apps/vantor.png \
    share/icons/hicolor/256x256/apps/vantor.png; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/vantor" ] || fail "bin/vantor is not executable"
[ $failures -eq 0 ] || exit 1

# Each PNG must be the size of the folder it lies in, or icon themes scale it again.
for size in 48 256; do
    actual=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/vantor.png")
    [ "$actual" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $actual"
done
python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' \
    "$prefix/share/icons/hicolor/scalable/apps/vantor.svg" \
    || fail "the SVG icon is not well-formed XML"

desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the launcher"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"

# The English interface's texts lie where the installed program looks for them.
[ -s "$prefix/share/vantor/translations/vantor_en.qm" ] || fail "the English translation is not installed"

# The launcher's keys that tie it to the rest: what it runs, the icon it names, the title it shows.
key() { awk -v key="$1" 'index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }' "$desktop"; }
[ "$(key Exec)" = "vantor %f" ] || fail "Exec is '$(key Exec)', not 'vantor %f'"
[ -x "$prefix/bin/$(key TryExec)" ] || fail "TryExec '$(key TryExec)' is not an installed program"
[ -f "$prefix/share/icons/hicolor/scalable/apps/$(key Icon).svg" ] \
    || fail "Icon '$(key Icon)' is not installed"
title=$(grep -rhoP --include=*.h 'kApplicationTitle\s*=\s*"\K[^"]+' "$source_dir/src" | awk 'NR == 1')
[ -n "$title" ] && [ "$(key Name)" = "$title" ] \
    || fail "Name is '$(key Name)', not the application title '$title'"
[ "$(key GenericName)" = "Subtitle Timer" ] || fail "GenericName is '$(key GenericName)'"
[ "$(key Categories)" = "AudioVideo;Video;" ] || fail "Categories are '$(key Categories)'"

# "Open with" in a file manager comes from the MIME cache built from the launchers.
update-desktop-database "$prefix/share/applications"
for type in video/mp4 video/x-matroska video/webm video/x-msvideo video/quicktime video/mpeg video/x-flv; do
    grep -q "^$type=.*$app_id.desktop" "$prefix/share/applications/mimeinfo.cache" \
        || fail "the launcher is not offered for $type"
done

# The metainfo must point at the launcher and the program that are really installed.
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
    || fail "the metainfo does not launch $app_id.desktop"
grep -q '<binary>vantor</binary>' "$metainfo" || fail "the metainfo does not provide the vantor binary"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"

# The installed program must not lean on the build folder.
if readelf -d "$prefix/bin/vantor" | grep -E 'R(UN)?PATH' | grep -qF "$build_dir"; then
    fail "the installed program keeps a run path into the build folder"
fi
output=$(cd "$work" && QT_QPA_PLATFORM=offscreen "$prefix/bin/vantor" --version 2>&1) \
    || fail "the installed program fails with --version: $output"
[ "$output" = "vantor $version" ] || fail "the installed program prints '$output' for --version"

[ $failures -eq 0 ] || exit 1
echo "install into a prefix: all checks passed"
