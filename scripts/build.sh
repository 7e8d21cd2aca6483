#!/usr/bin/env bash
# Configures and builds into build/ (or the directory given as $BUILD_DIR):
# every target, or only those named in $TARGETS.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${BUILD_DIR:-build}"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" ${CMAKE_EXTRA:-} >/dev/null
# shellcheck disable=SC2086
cmake --build "$dir" ${TARGETS:+--target $TARGETS}
