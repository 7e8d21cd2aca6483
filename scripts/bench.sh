#!/usr/bin/env bash
# Builds Corvane and runs its benchmarks, each printing its ratios. The trees
# they create go under $BENCH_DIR (default build/bench-work, on the disk that
# is measured) and are removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${BUILD_DIR:-build}"
BUILD_DIR="$dir" scripts/build.sh >/dev/null
work="${BENCH_DIR:-$PWD/$dir/bench-work}"
export QT_QPA_PLATFORM=offscreen

echo "== Folder scan: 100,000 files in 1,000 folders =="
"$dir/bench/corvane_scan_bench" "$work/scan"
echo
echo "== Shredding =="
"$dir/bench/corvane_shred_bench" "$work/shred"
