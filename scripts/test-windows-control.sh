#!/usr/bin/env bash
# The style manager on the platform's own tree view control, under Wine on a
# virtual X display: builds the control's server, its tests and the demo in
# build-windows (after scripts/test-windows.sh has configured it), registers
# the servers in the Wine prefix there, runs the tests that drive the control
# with real input (the C++ tests and a script client), reads the demo as a
# screen reader does from another process (accessibility_client), plays the demo's
# session and keeps its screenshot as build-windows/windows-demo.png, then
# unregisters the servers. Installs xvfb when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${SARN_WINDOWS_OUT:-$root/build-windows}  # build-windows32 with SARN_WINE_BITS=32

if [ "${1:-}" != --inside-display ]; then
  if ! command -v xvfb-run >/dev/null; then
    echo "== installing xvfb"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends xvfb xauth >/dev/null
  fi
  if [ ! -f "$out/build.ninja" ]; then
    echo "build-windows is not configured: run scripts/test-windows.sh" >&2
    exit 1
  fi
  echo "== the tree view control: build (at ${SECONDS}s)"
  cmake --build "$out" -j "$(nproc)" --target sarn10b sarn_outside sarn_control tree_control_test sarn_demo \
    accessibility_client >/dev/null
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside-display
fi

. scripts/wine-tests.sh
use_wine_prefix
counted_seconds=120

servers=(sarn10b sarn_outside sarn_control)

echo "== the tree view control under Wine on display $DISPLAY (at ${SECONDS}s)"
for server in "${servers[@]}"; do
  wine regsvr32 /s "$(winpath "$out/$server.dll")" || fail "regsvr32 $server.dll"
done
run_counted tree_control_test.exe wine "$out/control_tests/tree_control_test.exe"
run_counted accessibility_client.exe wine "$out/control_tests/accessibility_client.exe" "$(winpath "$out/sarn_demo.exe")"
run_counted control_road.vbs wine cscript //nologo "$(winpath "$root/windows/tests/control_scripts/control_road.vbs")"

rm -f "$out/windows-demo.png"
if log=$(timeout 120 wine "$out/sarn_demo.exe" --screenshot "$(winpath "$out/windows-demo.png")" 2>&1 | tr -d '\r') &&
   [ -s "$out/windows-demo.png" ] && grep -q 'OBrich "Save as rich text" \[opton\]' <<<"$log"; then
  printf '%s\n' "$log" | sed 's/^/     /'
  echo "ok   the demo's session ran; its screenshot is ${out#"$root"/}/windows-demo.png"
else
  printf '%s\n' "$log"
  fail "the demo's session"
fi

for server in "${servers[@]}"; do
  wine regsvr32 /u /s "$(winpath "$out/$server.dll")" || fail "regsvr32 /u $server.dll"
done
left=$(wine reg export 'HKEY_CLASSES_ROOT' "$(winpath "$out/control-classes.reg")" /y >/dev/null 2>&1;
       iconv -f UTF-16LE -t UTF-8 "$out/control-classes.reg" 2>/dev/null | tr -d '\r' |
       grep -ciE 'SarnControl|BA9EA42C|098360D4|A9B4CCDE|7AFA74CA' || true)
if [ "$left" = 0 ]; then
  echo "ok   unregistering leaves no key of the control's server behind"
else
  fail "unregistering left $left registry lines that name the control's server"
fi
if [ "$failures" -ne 0 ]; then
  echo "== $failures test step(s) of the tree view control failed"
  exit 1
fi
echo "== the tree view control's tests passed (at ${SECONDS}s)"
