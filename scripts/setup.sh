#!/usr/bin/env bash
# Installs the Debian packages that the build needs, when any is missing.
# Usage: scripts/setup.sh [extra-package ...]
set -euo pipefail

# qt6-base-dev: the Qt tree view, its demo and tests; fonts-dejavu-core: the
# fonts that Qt's offscreen platform draws the demo's window with.
# unicode-data: CaseFolding.txt, from which the runtime's case folding table
# is generated.
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev fonts-dejavu-core unicode-data "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
