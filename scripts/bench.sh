#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them. Arguments go to the
# benchmark program (default: a short run of every benchmark).
# Usage: scripts/bench.sh [--benchmark_filter=REGEX] [--benchmark_min_time=0.2] ...
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

# GCC 12 at -O3 gives a false -Wrestrict on `"#" + std::to_string(...)` in the
# standard library's own string code (GCC bug 105329); it is turned off for this build only.
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSARN_BENCH=ON -DSARN_TESTS=OFF \
  -DCMAKE_CXX_FLAGS=-Wno-restrict >/dev/null
cmake --build build-bench --target manager_bench -j "$(nproc)"
if [ $# -eq 0 ]; then
  set -- --benchmark_min_time=0.2
fi
build-bench/bench/manager_bench "$@"
