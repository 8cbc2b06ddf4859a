#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them. Arguments go to the
# benchmark program (default: a short run of every benchmark). With --qt
# first, runs the jobs on shown Qt widgets (qt_bench, offscreen) instead of
# the manager's own benchmarks on the in-memory tree view.
# Usage: scripts/bench.sh [--qt] [--benchmark_filter=REGEX] [--benchmark_min_time=0.2] ...
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

target=manager_bench
program=build-bench/bench/manager_bench
if [ "${1:-}" = "--qt" ]; then
  shift
  target=qt_bench
  program=build-bench/adapters/qt/bench/qt_bench
fi

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSARN_BENCH=ON -DSARN_TESTS=OFF >/dev/null
cmake --build build-bench --target "$target" -j "$(nproc)"
if [ $# -eq 0 ]; then
  set -- --benchmark_min_time=0.2
fi
uptime
"$program" "$@"
