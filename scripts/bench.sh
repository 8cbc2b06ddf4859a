#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them. Arguments go to the
# benchmark program (default: a short run of every benchmark).
# Usage: scripts/bench.sh [--benchmark_filter=REGEX] [--benchmark_min_time=0.2] ...
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSARN_BENCH=ON -DSARN_TESTS=OFF >/dev/null
cmake --build build-bench --target manager_bench -j "$(nproc)"
if [ $# -eq 0 ]; then
  set -- --benchmark_min_time=0.2
fi
build-bench/bench/manager_bench "$@"
