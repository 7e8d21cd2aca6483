#!/usr/bin/env bash
# Installs what is missing, builds Corvane and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The program alone: tests, benchmarks and fuzzers are not needed to start it.
TARGETS=corvane scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: Corvane is a desktop program and needs a window system." >&2
  echo "Start it from a desktop session, or on a virtual display with:" >&2
  echo "    xvfb-run -a ./build/corvane" >&2
  exit 1
fi
exec ./build/corvane
