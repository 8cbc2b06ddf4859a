#!/usr/bin/env bash
# Runs one fuzz target for a chosen time:
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
# TARGET is one of text_fuzz, registry_fuzz, tree_fuzz, qt_tree_fuzz,
# dispatch_fuzz, manager_fuzz. Builds it with Clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, starts from the checked-in corpus
# in fuzz/corpus/TARGET, keeps new inputs in build-fuzz/fuzz/work/TARGET and
# leaves the input of a finding in build-fuzz/fuzz/artifacts/. Exits non-zero
# on a finding.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 2 ]; then
  echo "usage: $0 TARGET SECONDS [libFuzzer options...]" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2

scripts/setup.sh clang-14 libclang-rt-14-dev
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DCMAKE_CXX_COMPILER=clang++-14 -DSARN_SANITIZE=ON -DSARN_FUZZ=ON -DSARN_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "$target"

work=build-fuzz/fuzz/work/$target
mkdir -p "$work" build-fuzz/fuzz/artifacts
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
  exec "build-fuzz/fuzz/$target" -max_total_time="$seconds" -artifact_prefix=build-fuzz/fuzz/artifacts/ \
  "$@" "$work" "fuzz/corpus/$target"
