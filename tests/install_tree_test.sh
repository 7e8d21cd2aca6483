#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs.
set -euo pipefail
build="$1"
version="$2"  # the project's
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
id=net.halvek.Corvane
expected=(bin/corvane "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
          share/man/man1/corvane.1.gz "share/kio/servicemenus/$id-destroy.desktop"
          share/nemo/actions/corvane.nemo_action share/nautilus-python/extensions/corvane_nautilus.py
          share/doc/corvane/copyright share/doc/corvane/changelog.gz
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
grep -qx 'Exec=corvane --uris -- %U' "$desktop"
grep -qx 'Categories=Utility;Security;' "$desktop"
# Never anybody's default opener: no file type leads to the program.
! grep -q '^MimeType=' "$desktop" || { echo "the menu entry claims file types"; exit 1; }
update-desktop-database "$prefix/share/applications"
! grep -q "$id" "$prefix/share/applications/mimeinfo.cache" ||
  { echo "mimeinfo.cache names Corvane"; exit 1; }
# The file managers' actions take local files only.
dolphin="$prefix/share/kio/servicemenus/$id-destroy.desktop"
grep -qx 'Name=Destroy With Corvane' "$dolphin"
grep -qx 'X-KDE-Protocols=file' "$dolphin" || { echo "Dolphin may hand over remote items"; exit 1; }
nemo="$prefix/share/nemo/actions/corvane.nemo_action"
[ "$(head -n1 "$nemo")" = "[Nemo Action]" ]
grep -qx 'Exec=corvane -- %F' "$nemo"
grep -qx 'UriScheme=file' "$nemo" || { echo "Nemo may hand over remote items"; exit 1; }
python3 -m py_compile "$prefix/share/nautilus-python/extensions/corvane_nautilus.py"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null
# Asked for its version or given a wrong option, the installed program needs no display.
exe="$prefix/bin/corvane"
# One version everywhere: the project's, in the program, its manual page and its metadata.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" --version)" = "corvane $version" ]
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml"
zcat "$prefix/share/man/man1/corvane.1.gz" | grep -q "^\.TH CORVANE 1 .* \"Corvane $version\""
zcat "$prefix/share/doc/corvane/changelog.gz" | head -n1 | grep -q "^corvane ($version)"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" --no-such-option 2>/dev/null || status=$?
[ "$status" -eq 2 ] || { echo "an unknown option ended with $status, not 2"; exit 1; }
echo "install tree complete"
