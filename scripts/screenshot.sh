#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window on a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
for p in imagemagick xdotool; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y "$p"; }
done
scripts/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A private copy, so the screenshot never touches the settings beside the real build.
cp build/corvane "$work/"
xvfb-run -a -s "-screen 0 640x480x24" bash -c '
  "$1/corvane" & pid=$!
  id=$(timeout 20 xdotool search --sync --name "Corvane By Halvek" | head -1)
  sleep 1
  import -window "$id" "$2"
  kill $pid' _ "$work" docs/screenshot.png
echo "Wrote docs/screenshot.png"
