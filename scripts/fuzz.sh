#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang into build-fuzz/ (or
# $FUZZ_BUILD_DIR) and runs each for $FUZZ_SECONDS (20) seconds on a scratch
# copy of its seed corpus. Fails on the first crash, leaving the input that
# caused it in the build directory's artifacts/. Then runs the Delete run over
# thousands of random lists, each checked against the disk.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${FUZZ_BUILD_DIR:-build-fuzz}"
seconds="${FUZZ_SECONDS:-20}"
CXX=clang++ cmake -S tests/fuzz -B "$dir" -G Ninja >/dev/null
cmake --build "$dir"

# The settings target rewrites its file with fsync on every run: a RAM-backed
# temporary directory keeps that cheap.
if [ -z "${TMPDIR:-}" ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$dir/artifacts"
for corpus in tests/fuzz/corpus/*/; do
  target=$(basename "$corpus")
  cp -r "$corpus" "$scratch/$target"
  echo "Fuzzing $target for ${seconds}s"
  if ! "$dir/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$dir/artifacts/$target-" "$scratch/$target" >"$scratch/$target.log" 2>&1; then
    tail -n 60 "$scratch/$target.log"
    echo "Fuzzing $target failed; the input is in $dir/artifacts/" >&2
    exit 1
  fi
  grep -E '^stat::number_of_executed_units' "$scratch/$target.log" || true
done

# Many more random lists for the run's report than the normal test run holds,
# from a seed of the day, under the sanitizers when that build is there.
tests="build-asan/tests/corvane_core_tests"
[ -x "$tests" ] || tests="build/tests/corvane_core_tests"
if [ -x "$tests" ]; then
  first=$(( $(date +%s) / 86400 * 100000 ))
  echo "Running 5000 random Delete runs from seed $first"
  CORVANE_REPORT_FIRST_SEED=$first CORVANE_REPORT_SEEDS=5000 \
    "$tests" --gtest_filter='ReportAgainstDisk.*' --gtest_brief=1
fi
echo "Fuzzing found nothing."
