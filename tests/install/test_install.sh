#!/usr/bin/env bash
# Installs the build tree into scratch folders and checks what a desktop and
# a package manager see: every file in place, the desktop files valid, the
# installed tool working, and the Debian package's control data and contents.
set -euo pipefail
build=$(cd "$1" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# 1. DESTDIR install under /usr/local: every file where the desktop looks.
DESTDIR="$tmp/dest" cmake --install "$build" --prefix /usr/local >/dev/null
root="$tmp/dest/usr/local"
id=org.tavelo.Tavelo
expected=(
  lib/tavelo/tavelo lib/tavelo/Tavelo.hlp bin/tavelo-batch
  share/tavelo/samples/sample.tvl share/tavelo/samples/logo.bmp
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml
  share/mime/packages/$id.xml share/icons/hicolor/scalable/apps/$id.svg
)
for size in 16 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for f in "${expected[@]}"; do [ -f "$root/$f" ] || fail "not installed: $f"; done
for size in 16 32 48 64 128 256; do
  file "$root/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size" \
    || fail "icon $size is not a ${size}x${size} PNG"
done
# The program is started through a link, and finds its help file beside the
# file the link points to.
[ -L "$root/bin/tavelo" ] || fail "bin/tavelo is not a link"
[ "$(readlink -f "$root/bin/tavelo")" = "$(readlink -f "$root/lib/tavelo/tavelo")" ] || fail "bin/tavelo points elsewhere"
# The sample card points at the logo where it was installed.
grep -aq "/usr/local/share/tavelo/samples/logo.bmp" "$root/share/tavelo/samples/sample.tvl" \
  || fail "the sample card does not point at the installed logo"

desktop-file-validate "$root/share/applications/$id.desktop" || fail "desktop entry"
grep -qx 'Exec=tavelo %f' "$root/share/applications/$id.desktop" || fail "Exec line"
grep -qx 'MimeType=application/x-tavelo-card;' "$root/share/applications/$id.desktop" || fail "MimeType line"
appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" >/dev/null || fail "metainfo"
update-mime-database "$root/share/mime" >/dev/null 2>&1 || fail "mime package"
[ -f "$root/share/mime/application/x-tavelo-card.xml" ] || fail "mime type not registered"
grep -q '\*\.tvl' "$root/share/mime/globs2" || fail "mime glob"
grep -aq 'Tavelo DataFile' "$root/share/mime/magic" || fail "mime magic"
# A double click (xdg-open) on a card starts the program.
update-desktop-database "$root/share/applications" || fail "desktop database"
default=$(XDG_DATA_HOME="$tmp/none" XDG_DATA_DIRS="$root/share" XDG_CONFIG_HOME="$tmp/none" \
          xdg-mime query default application/x-tavelo-card)
[ "$default" = "$id.desktop" ] || fail "cards do not open in the program: '$default'"

# 2. Installed into a prefix of its own, the tool runs from there and reads
#    the installed sample card without a message.
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
"$tmp/prefix/bin/tavelo-batch" info "$tmp/prefix/share/tavelo/samples/sample.tvl" >"$tmp/info.json" \
  || fail "installed tavelo-batch info of the installed sample"
grep -q '"messages": \[\]' "$tmp/info.json" || grep -q '"messages":\[\]' "$tmp/info.json" \
  || fail "the installed sample shows messages: $(cat "$tmp/info.json")"

# 3. The Debian package: its dependencies and its files.
(cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >/dev/null) || fail "cpack"
deb=$(ls "$tmp"/pkg/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
# grep -q reads here-strings, not a pipe: under pipefail, "echo | grep -q" fails
# whenever grep stops at its first match before echo has written everything.
for dep in libqt6widgets6 libqt6printsupport6 libqt6gui6 libqt6core6 fonts-ipafont-gothic fonts-ipafont-mincho fonts-ipamj-mincho; do
  grep -q "$dep" <<<"$depends" || fail "package does not depend on $dep: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = tavelo ] || fail "package name"
contents=$(dpkg-deb -c "$deb")
for f in usr/bin/tavelo usr/bin/tavelo-batch usr/lib/tavelo/tavelo usr/lib/tavelo/Tavelo.hlp \
         usr/share/applications/$id.desktop usr/share/mime/packages/$id.xml \
         usr/share/metainfo/$id.metainfo.xml usr/share/tavelo/samples/sample.tvl; do
  grep -q " \./$f\( \|$\)" <<<"$contents" || fail "package lacks $f"
done
dpkg-deb -x "$deb" "$tmp/unpacked"
grep -aq "/usr/share/tavelo/samples/logo.bmp" "$tmp/unpacked/usr/share/tavelo/samples/sample.tvl" \
  || fail "the packaged sample card does not point at /usr/share"
echo "install and package: all checks passed"
