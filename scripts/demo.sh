#!/usr/bin/env bash
# Builds and runs the demo: an editor's settings dialog whose tree of check
# boxes and option buttons a style manager drives, on Qt 6 Widgets. With a
# display the window opens. Without one it is drawn offscreen: a screenshot
# goes to build/qt-demo.png and the tree is printed as text beside it.
# Usage: scripts/demo.sh [--picture-set 0-3]
#        scripts/demo.sh --console   # the console demo: an in-memory tree view
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build --target demo qt_demo

if [ "${1:-}" = "--console" ]; then
  mkdir -p build/pictures
  exec build/examples/demo build/pictures
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  QT_QPA_PLATFORM=offscreen exec build/adapters/qt/demo/qt_demo --screenshot build/qt-demo.png "$@"
fi
exec build/adapters/qt/demo/qt_demo "$@"
