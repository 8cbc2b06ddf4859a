#!/usr/bin/env bash
# Builds and runs every test: once as a plain build with GCC, once with Clang
# under AddressSanitizer and UndefinedBehaviorSanitizer, where the fuzz targets
# also replay their corpus and run for a few seconds each. Fails on any
# failure, warning or sanitizer finding.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh clang-14 libclang-rt-14-dev python3-dev pybind11-dev python3-pyqt6

jobs=$(nproc)

echo "== tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=g++ -DSARN_BENCH=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== the benchmarks build, and qt_bench's iterations wait for the widget's deferred work"
QT_QPA_PLATFORM=offscreen build/adapters/qt/bench/qt_bench --benchmark_filter='^$' >/dev/null

echo "== the PyQt6 demo offscreen, run by Debian's Python (the module's tests ran with the others)"
QT_QPA_PLATFORM=offscreen PYTHONPATH=build/python /usr/bin/python3 examples/python/settings_demo.py \
  --screenshot build/python-demo.png >build/python-demo.txt
grep -q 'CBunder "Underline" \[chkon\]' build/python-demo.txt ||
  { echo "FAILED: the Python demo's session did not switch Underline on (build/python-demo.txt)"; exit 1; }

echo "== what a screen reader gets from the Qt tree views, through the desktop's accessibility stack"
scripts/test-screen-reader.sh build

echo "== tests and fuzz targets with Clang, under AddressSanitizer and UndefinedBehaviorSanitizer"
# This stage once used GCC: a cache made with another compiler cannot be reused.
if [ -f build-sanitize/CMakeCache.txt ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang' build-sanitize/CMakeCache.txt; then
  rm -rf build-sanitize
fi
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++-14 \
  -DSARN_SANITIZE=ON -DSARN_FUZZ=ON >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

echo "== threads under ThreadSanitizer"
cmake -S . -B build-threads -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSARN_TSAN=ON -DSARN_QT=OFF >/dev/null
cmake --build build-threads -j "$jobs" --target server_tests sarn10b
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  build-threads/library/tests/server_tests --gtest_filter='ServerTest.EachThread*'

scripts/test-install.sh
scripts/test-second-user.sh build

echo "== the library as a Windows component server, under Wine"
scripts/test-windows.sh
scripts/test-windows32.sh  # the 32-bit build, both side by side, and the setup program
