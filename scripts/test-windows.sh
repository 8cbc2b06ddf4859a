#!/usr/bin/env bash
# Cross-builds the library for 64-bit Windows with mingw-w64 and tests it as
# a real component server under Wine: registers sarn10b.dll in a fresh Wine
# prefix, drives it from VBScript (cscript) and from a native client, then
# unregisters it and checks that nothing of it is left. The C++ suites run
# under Wine first. Installs the packages it needs when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$root/build-windows
jobs=$(nproc)

need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64)
command -v x86_64-w64-mingw32-widl >/dev/null || need+=(mingw-w64-tools)
[ -f /usr/include/wine/wine/windows/oaidl.idl ] || need+=(libwine-dev)
command -v wine >/dev/null || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
[ -f /usr/src/googletest/googletest/src/gtest-all.cc ] || need+=(googletest)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
[ -f /usr/share/unicode/CaseFolding.txt ] || need+=(unicode-data)
if [ ${#need[@]} -gt 0 ]; then
  echo "== installing ${need[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

echo "== build-time tools (native) (at ${SECONDS}s)"
cmake -S windows/host -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/host" -j "$jobs" >/dev/null

echo "== cross-build for Windows (at ${SECONDS}s)"
cmake -S windows -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_TOOLCHAIN_FILE="$root/windows/toolchain-mingw64.cmake" -DSARN_HOST_TOOLS="$out/host" >/dev/null
cmake --build "$out" -j "$jobs" >/dev/null

echo "== fresh Wine prefix (at ${SECONDS}s)"
unset DISPLAY WAYLAND_DISPLAY
. scripts/wine-tests.sh
use_wine_prefix fresh

servers=(sarn10b sarn_tree sarn_outside)

run_build_checks

echo "== the servers and their clients under Wine (at ${SECONDS}s)"

for server in "${servers[@]}"; do
  wine regsvr32 /s "$(winpath "$out/$server.dll")" || fail "regsvr32 $server.dll"
done
for script in windows/tests/scripts/*.vbs windows/tests/scripts/*.js; do
  [ "$(basename "$script")" = after_unregister.vbs ] && continue
  run_counted "$(basename "$script")" wine cscript //nologo "$(winpath "$root/$script")"
done
for client in "$out"/tests/*_client.exe; do
  # A thread that cannot end would hang the client: it gets a time limit.
  [ -e "$client" ] && run_counted "$(basename "$client")" timeout 300 wine "$client"
done

echo "== unregistering (at ${SECONDS}s)"
for server in "${servers[@]}"; do
  wine regsvr32 /u /s "$(winpath "$out/$server.dll")" || fail "regsvr32 /u $server.dll"
done
run_counted after_unregister.vbs wine cscript //nologo "$(winpath "$root/windows/tests/scripts/after_unregister.vbs")"
left=$(classes_lines_naming "$servers_pattern")
if [ "$left" = 0 ]; then
  echo "ok   unregistering leaves no key of the three servers behind"
else
  fail "unregistering left $left registry lines that name the library"
fi

# ---- Text comparison: the native and the Windows build agree on a table of
# case pairs from a dozen scripts, under an English and a Turkish locale.
echo "== text comparison, native and under Wine (at ${SECONDS}s)"
scripts/test-text-agreement.sh "$out" || fail "the Windows build compares texts otherwise than the native build"
# ---- end of the text comparison stage

wineserver -k 2>/dev/null || true
if [ "$failures" -ne 0 ]; then
  echo "== $failures Windows test step(s) failed"
  exit 1
fi
echo "== all Windows tests passed (at ${SECONDS}s)"
scripts/test-windows-control.sh
