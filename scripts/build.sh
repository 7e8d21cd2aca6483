#!/usr/bin/env bash
# Configures and builds into build/ (or the directory given as $BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${BUILD_DIR:-build}"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" ${CMAKE_EXTRA:-} >/dev/null
cmake --build "$dir"
