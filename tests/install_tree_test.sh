#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs.
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
id=net.halvek.Corvane
expected=(bin/corvane "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
          share/man/man1/corvane.1 "share/kio/servicemenus/$id-destroy.desktop"
          "share/icons/hicolor/scalable/apps/$id.svg")
for size in 16 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x$size/apps/$id.png")
  file "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size" ||
    { echo "the $size px icon is not a $size px PNG"; exit 1; }
done
for f in "${expected[@]}"; do
  [ -s "$prefix/$f" ] || { echo "missing: $f"; exit 1; }
done
desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop"
grep -qx 'Exec=corvane %F' "$desktop"
grep -q '^MimeType=.*inode/directory;' "$desktop"
grep -qx 'Categories=Utility;Security;' "$desktop"
grep -qx 'Name=Destroy With Corvane' "$prefix/share/kio/servicemenus/$id-destroy.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null
# Asked for its version or given a wrong option, the installed program needs no display.
exe="$prefix/bin/corvane"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" --version)" = "corvane 1.00" ]
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" --no-such-option 2>/dev/null || status=$?
[ "$status" -eq 2 ] || { echo "an unknown option ended with $status, not 2"; exit 1; }
echo "install tree complete"
