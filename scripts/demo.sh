#!/usr/bin/env bash
# Builds and runs the demo: a style manager on an in-memory tree view.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build --target demo
mkdir -p build/pictures
build/examples/demo build/pictures
