#!/usr/bin/env bash
# What a screen reader gets from the Qt tree views, through the desktop's own
# accessibility stack: the demo, a small host (both Qt tree views beside a
# plain QTreeWidget) and the Python demo (the manager on a PyQt6 tree) under
# Xvfb, with a private session bus, the AT-SPI bus and registry, and Qt's
# AT-SPI bridge switched on; a Python client reads them with pyatspi and
# gives them real input with xdotool (screen_reader_check.py).
# Installs the packages it needs when they are missing. Takes about 40
# seconds once built.
# Usage: scripts/test-screen-reader.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

packages=(xvfb xauth at-spi2-core dbus dbus-x11 python3-gi gir1.2-atspi-2.0 python3-pyatspi xdotool)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "== installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake --build "$build" --target qt_demo screen_reader_host >/dev/null
# The Python demo too, where the build has the module (Python's headers,
# pybind11) and PyQt6 is installed; without them the client says it skips it.
if /usr/bin/python3 -c "import PyQt6.QtWidgets" 2>/dev/null &&
   cmake --build "$build" --target help | grep sarn10b_python >/dev/null; then
  cmake --build "$build" --target sarn10b_python >/dev/null
fi
# Debian's Python, which has pyatspi, whatever python3 comes first on PATH.
timeout 300 dbus-run-session -- /usr/bin/python3 adapters/qt/tests/screen_reader_check.py "$build"
