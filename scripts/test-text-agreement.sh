#!/usr/bin/env bash
# Runs the table of case pairs (windows/tests/text_agreement.cpp) natively and
# as the Windows build under Wine, under an English and a Turkish locale, and
# requires both builds to pass it and to print the same lines.
#
# Usage: scripts/test-text-agreement.sh [build-windows folder]
# Called by scripts/test-windows.sh after its builds; uses its Wine prefix
# when WINEPREFIX is set, else one of its own in the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-$(pwd)/build-windows}
native=$out/host/text_agreement
windows=$out/text_agreement.exe
for program in "$native" "$windows"; do
  [ -x "$program" ] || [ -f "$program" ] || { echo "FAILED: no $program (build windows/host and windows first)"; exit 1; }
done
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=$out/text-wineprefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
  [ -d "$WINEPREFIX" ] || { wine wineboot -i >/dev/null 2>&1; wineserver -w; }
fi

status=0
# Wine takes the user's locale from the same variables as the native build.
for pair in en_US.UTF-8:en tr_TR.UTF-8:tr; do
  locale=${pair%%:*} column=${pair##*:}
  native_out=$(LC_ALL=$locale "$native" "$column" 2>&1) || true
  windows_out=$(LC_ALL=$locale wine "$windows" "$column" 2>&1 | tr -d '\r') || true
  for result in "native:$native_out" "Windows:$windows_out"; do
    if ! printf '%s\n' "${result#*:}" | tail -1 | grep -qE '^[1-9][0-9]* passed, 0 failed$'; then
      printf '%s\n' "${result#*:}"
      echo "FAILED: the ${result%%:*} build under $locale"
      status=1
    fi
  done
  if ! diff <(printf '%s\n' "$native_out") <(printf '%s\n' "$windows_out"); then
    echo "FAILED: the native and the Windows build compare differently under $locale"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "ok   the native and the Windows build compare texts alike (English and Turkish locale)"
exit "$status"
