#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal
# build, and one under AddressSanitizer and UndefinedBehaviorSanitizer. Then
# fuzzes the parsers (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
BUILD_DIR=build scripts/build.sh
(cd build && ctest --output-on-failure -j "$jobs")
BUILD_DIR=build-asan BUILD_TYPE=Debug CMAKE_EXTRA="-DCORVANE_SANITIZE=ON" scripts/build.sh
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j "$jobs")
scripts/fuzz.sh
echo "All tests passed (normal and sanitizer builds, fuzzing)."
