#!/usr/bin/env bash
# Renders the menu icons from data/icons/corvane.svg (needs rsvg-convert, from
# librsvg2-bin). The 16 px one is the window's own, resources/corvane.png.
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
for size in 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" corvane.svg -o "corvane-$size.png"
done
