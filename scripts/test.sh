#!/usr/bin/env bash
# Builds and runs every test: once as a plain build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer. Fails on any failure or
# sanitizer finding.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)

echo "== tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSARN_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

echo "== threads under ThreadSanitizer"
cmake -S . -B build-threads -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSARN_TSAN=ON -DSARN_QT=OFF >/dev/null
cmake --build build-threads -j "$jobs" --target server_tests sarn10b
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  build-threads/library/tests/server_tests --gtest_filter='ServerTest.EachThread*'

scripts/test-install.sh

echo "== the library as a Windows component server, under Wine"
scripts/test-windows.sh
