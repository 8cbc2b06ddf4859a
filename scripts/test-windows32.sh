#!/usr/bin/env bash
# Cross-builds the library for 32-bit Windows (mingw-w64 i686) into
# build-windows32 and tests it under 32-bit Wine, in a 64-bit prefix as a
# 32-bit host on 64-bit Windows meets it: the C++ suites, the servers
# registered with the 32-bit regsvr32 in the 32-bit registry view, the script
# clients through the 32-bit script host, the native and unload clients. Then
# the 32-bit and the 64-bit servers side by side in one prefix (the 64-bit
# build is build-windows, made by scripts/test-windows.sh, or configured here),
# and the setup program (scripts/test-windows-setup.sh). Installs what it
# needs: the i386 architecture with Wine's 32-bit loader, and where the kernel
# cannot run 32-bit programs itself, qemu's i386 emulator for them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$root/build-windows32
out64=$root/build-windows
jobs=$(nproc)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=$(command -v sudo)

install_packages() {
  echo "== installing $*"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

need=()
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686)
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64)
command -v i686-w64-mingw32-widl >/dev/null || need+=(mingw-w64-tools)
[ -f /usr/include/wine/wine/windows/oaidl.idl ] || need+=(libwine-dev)
command -v wine >/dev/null || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
[ -f /usr/src/googletest/googletest/src/gtest-all.cc ] || need+=(googletest)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
command -v makensis >/dev/null || need+=(nsis)
[ -f /usr/share/unicode/CaseFolding.txt ] || need+=(unicode-data)
[ ${#need[@]} -eq 0 ] || install_packages "${need[@]}"

# Wine's 32-bit loader comes from the i386 architecture; without its
# preloader every 32-bit process starts slowly.
if [ ! -x /usr/lib/wine/wine ] || [ ! -e /usr/lib/wine/wine-preloader ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  install_packages wine32:i386 wine32-preloader:i386
fi
# A kernel without 32-bit emulation runs i386 programs through qemu.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  command -v qemu-i386-static >/dev/null || install_packages qemu-user-static
  if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
    $sudo mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  fi
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:FP' |
      $sudo tee /proc/sys/fs/binfmt_misc/register >/dev/null
  fi
  /usr/lib/wine/wine --version >/dev/null 2>&1 || { echo "32-bit programs cannot run here" >&2; exit 1; }
fi
# A registered handler takes 32-bit programs before the kernel does, so with
# it every 32-bit program here runs in the emulator.
emulated=0
if grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; then
  emulated=1
  echo "== 32-bit programs run through qemu-i386-static"
fi

echo "== build-time tools (native) (at ${SECONDS}s)"
cmake -S windows/host -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/host" -j "$jobs" >/dev/null

echo "== cross-build for 32-bit Windows (at ${SECONDS}s)"
cmake -S windows -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_TOOLCHAIN_FILE="$root/windows/toolchain-mingw32.cmake" -DSARN_HOST_TOOLS="$out/host" >/dev/null
cmake --build "$out" -j "$jobs" >/dev/null

unset DISPLAY WAYLAND_DISPLAY
. scripts/wine-tests.sh

echo "== every program is a 32-bit image with undecorated entry points (at ${SECONDS}s)"
images=0
while IFS= read -r image; do
  images=$((images + 1))
  format=$(i686-w64-mingw32-objdump -f "$image" 2>/dev/null | sed -n 's/.*file format //p' || true)
  [ "$format" = pei-i386 ] || fail "$(basename "$image") is ${format:-no program}, not pei-i386"
done < <(find "$out" \( -path "$out/host" -o -path "$out/setup" -o -name 'wineprefix*' \) -prune -o \
              -type f \( -name '*.exe' -o -name '*.dll' \) -print)
[ "$images" -ge 12 ] || fail "only $images Windows programs in $out"
for server in sarn10b sarn_tree sarn_outside sarn_control; do
  exports=$(i686-w64-mingw32-objdump -p "$out/$server.dll" |
            sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[' | grep -oE '\] .*' | cut -c3- | sort | tr '\n' ' ')
  [ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ] ||
    fail "$server.dll exports: $exports"
  # The platform calls them __stdcall: the callee pops its arguments, which
  # the compiler marks in the symbol (@ and the bytes popped).
  conventions=$(i686-w64-mingw32-nm "$out/$server.dll" | grep -oE ' _Dll(CanUnloadNow|GetClassObject|RegisterServer|UnregisterServer)@[0-9]+$' | sort | tr -d ' ' | tr '\n' ' ')
  [ "$conventions" = "_DllCanUnloadNow@0 _DllGetClassObject@12 _DllRegisterServer@0 _DllUnregisterServer@0 " ] ||
    fail "$server.dll: the entry points are not all __stdcall: ${conventions:-none is}"
done
[ "$failures" -eq 0 ] &&
  echo "ok   $images images are PE32; the four servers export the four __stdcall entry points by name"

echo "== fresh Wine prefix (at ${SECONDS}s)"
use_wine_prefix fresh
# Both bitnesses of the hosts, named by their folders: system32 holds the
# 64-bit programs, syswow64 the 32-bit ones.
cscript32=(wine 'C:\windows\syswow64\cscript.exe' //nologo)
cscript64=(wine 'C:\windows\system32\cscript.exe' //nologo)
regsvr32_32() { wine 'C:\windows\syswow64\regsvr32.exe' /s "$@"; }
regsvr32_64() { wine 'C:\windows\system32\regsvr32.exe' /s "$@"; }
# Unregisters the three servers of one bitness: 32 from $out, 64 from $out64.
unregister_servers() {
  local bits=$1 folder=$out program=regsvr32_32 server
  [ "$bits" = 64 ] && folder=$out64 program=regsvr32_64
  for server in "${servers[@]}"; do
    "$program" /u "$(winpath "$folder/$server.dll")" || fail "$bits-bit regsvr32 /u $server.dll"
  done
}
script() { winpath "$root/windows/tests/scripts/$1"; }
# How long a 32-bit process takes, the first also starting Wine's server.
for start in cold warm; do
  begin=$EPOCHREALTIME
  wine "$out/portable_smoke.exe" >/dev/null 2>&1 || true
  echo "     one 32-bit process ($start): $(awk "BEGIN { printf \"%.2f\", $EPOCHREALTIME - $begin }") s"
done

run_build_checks " (32-bit)"

echo "== the 32-bit servers and their clients (at ${SECONDS}s)"
servers=(sarn10b sarn_tree sarn_outside)
for server in "${servers[@]}"; do
  regsvr32_32 "$(winpath "$out/$server.dll")" || fail "32-bit regsvr32 $server.dll"
done
run_counted "32-bit view only" "${cscript32[@]}" "$(script bitness/server_view.js)" 32 present "$(winpath "$out")"
run_counted "not in the 64-bit view" "${cscript64[@]}" "$(script bitness/server_view.js)" 64 absent
for name in library_surface.vbs tree_road.vbs script_clients.vbs script_clients.js; do
  run_counted "$name (32-bit host)" "${cscript32[@]}" "$(script "$name")"
done
for client in "$out"/tests/*_client.exe; do
  run_counted "$(basename "$client") (32-bit)" timeout 300 wine "$client"
done
unregister_servers 32
run_counted "after_unregister.vbs (32-bit host)" "${cscript32[@]}" "$(script after_unregister.vbs)"
left=$(classes_lines_naming "$servers_pattern")
if [ "$left" = 0 ]; then
  echo "ok   unregistering the 32-bit servers leaves no key behind in either view"
else
  fail "unregistering the 32-bit servers left $left registry lines that name them"
fi

echo "== the 32-bit and the 64-bit servers side by side (at ${SECONDS}s)"
if [ ! -f "$out64/build.ninja" ]; then
  cmake -S windows/host -B "$out64/host" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$out64/host" -j "$jobs" >/dev/null
  cmake -S windows -B "$out64" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_TOOLCHAIN_FILE="$root/windows/toolchain-mingw64.cmake" -DSARN_HOST_TOOLS="$out64/host" >/dev/null
fi
cmake --build "$out64" -j "$jobs" --target "${servers[@]}" sarn_control native_client >/dev/null
for server in "${servers[@]}"; do
  regsvr32_32 "$(winpath "$out/$server.dll")" || fail "32-bit regsvr32 $server.dll"
  regsvr32_64 "$(winpath "$out64/$server.dll")" || fail "64-bit regsvr32 $server.dll"
done
both_present() {
  run_counted "$1: the 32-bit host gets the 32-bit server" \
    "${cscript32[@]}" "$(script bitness/server_view.js)" 32 present "$(winpath "$out")"
  run_counted "$1: the 64-bit host gets the 64-bit server" \
    "${cscript64[@]}" "$(script bitness/server_view.js)" 64 present "$(winpath "$out64")"
}
both_present "both registered"
run_counted "both registered: tree_road.vbs (32-bit host)" "${cscript32[@]}" "$(script tree_road.vbs)"
run_counted "both registered: tree_road.vbs (64-bit host)" "${cscript64[@]}" "$(script tree_road.vbs)"
unregister_servers 64
run_counted "64-bit unregistered: the 32-bit host still gets its server" \
  "${cscript32[@]}" "$(script bitness/server_view.js)" 32 present "$(winpath "$out")"
run_counted "64-bit unregistered: tree_road.vbs (32-bit host)" "${cscript32[@]}" "$(script tree_road.vbs)"
run_counted "64-bit unregistered: the 64-bit host finds no class" "${cscript64[@]}" "$(script bitness/server_view.js)" 64 absent
for server in "${servers[@]}"; do
  regsvr32_64 "$(winpath "$out64/$server.dll")" || fail "64-bit regsvr32 $server.dll"
done
both_present "64-bit registered again"
unregister_servers 32
run_counted "32-bit unregistered: the 64-bit host still gets its server" \
  "${cscript64[@]}" "$(script bitness/server_view.js)" 64 present "$(winpath "$out64")"
run_counted "32-bit unregistered: tree_road.vbs (64-bit host)" "${cscript64[@]}" "$(script tree_road.vbs)"
run_counted "32-bit unregistered: the 32-bit host finds no class" "${cscript32[@]}" "$(script bitness/server_view.js)" 32 absent
unregister_servers 64
left=$(classes_lines_naming "$servers_pattern")
if [ "$left" = 0 ]; then
  echo "ok   unregistering both leaves no key behind in either view"
else
  fail "unregistering both left $left registry lines that name the servers"
fi

wineserver -k 2>/dev/null || true
if [ "$failures" -ne 0 ]; then
  echo "== $failures 32-bit Windows test step(s) failed"
  exit 1
fi
echo "== all 32-bit Windows tests passed (at ${SECONDS}s)"
if [ "$emulated" = 1 ]; then
  # Wine's window programs do not survive the emulator (the demo ends in Wine's
  # debugger, and a control test cannot load the manager's server), so the
  # control's tests of real input run for the 64-bit build only on such a
  # machine. The script clients, the native clients and the setup program run.
  echo "SKIPPED: the platform tree view control's tests on the 32-bit build (32-bit programs run only through an emulator here)"
else
  SARN_WINDOWS_OUT=$out SARN_WINE_BITS=32 scripts/test-windows-control.sh
fi
scripts/test-windows-setup.sh
