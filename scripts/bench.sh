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

cleanup=""
trap 'eval "$cleanup"' EXIT
# BENCH_ONLY=large-file, many-files or small-files: only that shredding workload.
if [ -z "${BENCH_ONLY:-}" ]; then
  echo "== Folder scan on the disk: 100,000 files in 1,000 folders =="
  "$dir/bench/corvane_scan_bench" "$work/scan" 1000
  echo
  # A tmpfs of its own where possible, else the shared one.
  tmp=""
  if [ "$(id -u)" -eq 0 ] && tmp=$(mktemp -d) && mount -t tmpfs -o size=8g corvane-bench "$tmp"; then
    cleanup='umount "$tmp"; rmdir "$tmp";'
  else
    tmp=/dev/shm
  fi
  echo "== Folder scan on tmpfs: 1,000,000 files in 10,000 folders =="
  "$dir/bench/corvane_scan_bench" "$tmp/corvane-scan" 10000
  echo
fi
echo "== Shredding =="
# As root, the small files go to an ext4 image on the same disk, loop-mounted,
# so that the sectors reaching its device can be counted.
loop=()
mkdir -p "$work"
image="$work/small.img"
if [ "$(id -u)" -eq 0 ] && truncate -s 1G "$image" && mkfs.ext4 -q -F "$image" &&
  mkdir -p "$work/small" && mount -o loop "$image" "$work/small"; then
  cleanup="umount '$work/small'; rm -f '$image'; $cleanup"
  loop=("$work/small" "$(basename "$(findmnt -n -o SOURCE "$work/small")")")
fi
"$dir/bench/corvane_shred_bench" "$work/shred" "${loop[@]}"
if [ -z "${BENCH_ONLY:-}" ]; then
  echo
  echo "== Overwriting free space: 2 GiB ext4 image on the disk =="
  "$dir/bench/corvane_free_space_bench" "$work/free-space"
fi
