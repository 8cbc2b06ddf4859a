#!/usr/bin/env bash
# Builds the setup program sarn10b-<version>-setup.exe with makensis from the
# 32-bit build (build-windows32) and the 64-bit build (build-windows), both
# made by scripts/test-windows32.sh first, and tests it under Wine in fresh
# 64-bit prefixes: a silent install, every class created by name from the
# script host of each bitness and the native clients of both builds against
# the installed servers, a silent uninstall, and nothing of it left behind
# (files, classes, programmatic identifiers, type libraries, the uninstall
# entry), while what was there before stays: a file of the user's in the
# program's folder, and an outside error-handler component already registered,
# which the setup neither replaces nor removes. A setup whose server cannot be
# registered fails and leaves nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out32=$root/build-windows32
out64=$root/build-windows
out=$out32/setup
for build in "$out32" "$out64"; do
  [ -f "$build/build.ninja" ] || { echo "$build is not configured: run scripts/test-windows32.sh" >&2; exit 1; }
done
command -v makensis >/dev/null || {
  echo "== installing nsis"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends nsis >/dev/null
}

installed=(sarn10b sarn_tree sarn_control sarn_outside)
echo "== the setup program (at ${SECONDS}s)"
cmake --build "$out32" -j "$(nproc)" --target "${installed[@]}" native_client >/dev/null
cmake --build "$out64" -j "$(nproc)" --target "${installed[@]}" native_client >/dev/null
version=$(sed -n 's/^project(sarn10b_windows VERSION \([0-9.]*\).*/\1/p' windows/CMakeLists.txt)
setup=$out/sarn10b-$version-setup.exe
# The servers as they ship: without the debug build's symbols.
rm -rf "$out/stage32" "$out/stage64" "$setup"
mkdir -p "$out/stage32" "$out/stage64"
for server in "${installed[@]}"; do
  i686-w64-mingw32-strip --strip-debug -o "$out/stage32/$server.dll" "$out32/$server.dll"
  x86_64-w64-mingw32-strip --strip-debug -o "$out/stage64/$server.dll" "$out64/$server.dll"
done
makensis -V2 -WX -DVERSION="$version" -DBIN32="$out/stage32" -DBIN64="$out/stage64" -DOUTFILE="$setup" \
  windows/setup/sarn10b.nsi
echo "ok   $(basename "$setup"): $(du -k "$setup" | cut -f1) KiB"
[ -s "$setup" ] || { echo "makensis made no $setup" >&2; exit 1; }

unset DISPLAY WAYLAND_DISPLAY
. scripts/wine-tests.sh
cscript32=(wine 'C:\windows\syswow64\cscript.exe' //nologo)
cscript64=(wine 'C:\windows\system32\cscript.exe' //nologo)
script() { winpath "$root/windows/tests/scripts/$1"; }
dir32='C:\Program Files (x86)\sarn10b'
dir64='C:\Program Files\sarn10b'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\sarn10b'
# A foreign component under the stand-in's programmatic identifier.
foreign_progid='KwBrenta10.clsKwbrErrorHandlerA'
foreign_clsid='{0F0F0F0F-1234-4321-ABCD-0123456789AB}'

# Runs the setup (or the uninstaller) and waits until every process of it has
# ended: the uninstaller runs on from a copy of itself.
run_and_wait() {
  local status=0
  wine "$@" >/dev/null 2>&1 || status=$?
  wineserver -w
  return $status
}

# Lines of the installation's files under the prefix's drive (either
# program files folder), one per file.
installed_files() {
  find "$WINEPREFIX/drive_c/Program Files" "$WINEPREFIX/drive_c/Program Files (x86)" -path '*/sarn10b/*' -type f \
    -printf '%P\n' 2>/dev/null | sort
}

# Every file and folder of the prefix's drive, relative to the prefix.
prefix_files() {
  (cd "$WINEPREFIX" && find drive_c -print | LC_ALL=C sort)
}

check_image() {  # file, expected objdump format
  local format
  format=$(x86_64-w64-mingw32-objdump -f "$1" 2>/dev/null | sed -n 's/.*file format //p')
  [ "$format" = "$2" ] || fail "$(basename "$(dirname "$1")")/$(basename "$1") is '$format', not $2"
}

# One round: fresh prefix, optionally a foreign component, install, use,
# uninstall, check.
setup_round() {
  local name=$1 foreign=$2
  echo "== $name (at ${SECONDS}s)"
  use_wine_prefix fresh
  local standins=1
  if [ "$foreign" = yes ]; then
    standins=0
    wine reg add "HKCR\\$foreign_progid\\CLSID" /ve /d "$foreign_clsid" /f >/dev/null 2>&1
  fi
  wineserver -w
  prefix_files >"$out/files-before.txt"
  run_and_wait "$setup" /S || fail "$name: the silent setup exited with $?"

  local expected=()
  for server in sarn10b sarn_tree sarn_control; do expected+=("$server.dll"); done
  [ $standins = 1 ] && expected+=(sarn_outside.dll)
  local want
  want=$( (printf 'Program Files (x86)/sarn10b/%s\n' "${expected[@]}" uninstall.exe
           printf 'Program Files/sarn10b/%s\n' "${expected[@]}") | sed 's|^Program Files[^/]*/||' | sort)
  local got
  got=$( (cd "$WINEPREFIX/drive_c" && find 'Program Files' 'Program Files (x86)' -path '*/sarn10b/*' -type f) | sed 's|^Program Files[^/]*/||' | sort)
  if [ "$got" = "$want" ]; then
    echo "ok   $name: the setup installed $(wc -l <<<"$got") files into both program files folders"
  else
    fail "$name: installed files differ: $(diff <(echo "$want") <(echo "$got") | grep '^[<>]' | tr '\n' ' ')"
  fi
  for server in "${expected[@]}"; do
    check_image "$WINEPREFIX/drive_c/Program Files (x86)/sarn10b/$server" pei-i386
    check_image "$WINEPREFIX/drive_c/Program Files/sarn10b/$server" pei-x86-64
  done
  local entry listed
  entry=$(wine reg query "$uninstall_key" /reg:32 2>/dev/null | tr -d '\r')
  # The platform's own tool for removing programs reads the same list.
  listed=$(wine uninstaller --list 2>/dev/null | tr -d '\r')
  if grep -q "DisplayName.*sarn10b $version" <<<"$entry" && grep -q 'UninstallString.*uninstall.exe' <<<"$entry" &&
     grep -qx "sarn10b|||sarn10b $version" <<<"$listed"; then
    echo "ok   $name: the list of installed programs holds sarn10b $version with its uninstaller"
  else
    fail "$name: no uninstall entry for sarn10b $version: $entry / $listed"
  fi

  run_counted "$name: the 32-bit host creates every class from the 32-bit folder" \
    "${cscript32[@]}" "$(script bitness/server_view.js)" 32 present "$dir32"
  run_counted "$name: the 64-bit host creates every class from the 64-bit folder" \
    "${cscript64[@]}" "$(script bitness/server_view.js)" 64 present "$dir64"
  if [ $standins = 1 ]; then
    for name_of in tree_road.vbs script_clients.js; do
      run_counted "$name: $name_of (32-bit host)" "${cscript32[@]}" "$(script "$name_of")"
      run_counted "$name: $name_of (64-bit host)" "${cscript64[@]}" "$(script "$name_of")"
    done
    run_counted "$name: native_client.exe (32-bit)" timeout 300 wine "$out32/tests/native_client.exe"
    run_counted "$name: native_client.exe (64-bit)" timeout 300 wine "$out64/tests/native_client.exe"
  fi

  # A file of the user's in the program's folder is not the setup's to remove.
  echo "mine" >"$WINEPREFIX/drive_c/Program Files (x86)/sarn10b/notes.txt"
  run_and_wait "$dir32\\uninstall.exe" /S || fail "$name: the silent uninstaller exited with $?"
  local left_files
  left_files=$(installed_files)
  if [ "$left_files" = "sarn10b/notes.txt" ]; then
    echo "ok   $name: the uninstaller removed every file it installed and kept the user's"
  else
    fail "$name: after uninstalling, the folders hold: $(tr '\n' ' ' <<<"$left_files")"
  fi
  [ -d "$WINEPREFIX/drive_c/Program Files/sarn10b" ] && fail "$name: the 64-bit folder is left"
  # Nothing else is new on the drive but the user's file and the copy of the
  # uninstaller that ran, which can only be deleted at the next start and is
  # scheduled for that.
  local new_files
  new_files=$(LC_ALL=C comm -13 "$out/files-before.txt" <(prefix_files) |
              grep -vxE 'drive_c/Program Files \(x86\)/sarn10b(/notes\.txt)?|drive_c/users/[^/]+/Temp/~nsu[^/]*\.tmp(/Un[^/]*\.exe)?' || true)
  [ -z "$new_files" ] || fail "$name: after uninstalling, the drive holds new files: $(tr '\n' ' ' <<<"$new_files")"
  if ! grep -q 'PendingFileRenameOperations.*~nsu.*Un[^\\]*\.exe' "$WINEPREFIX/system.reg"; then
    fail "$name: the uninstaller's copy of itself is not scheduled for deletion"
  fi
  run_counted "$name: after_unregister.vbs (32-bit host)" "${cscript32[@]}" "$(script after_unregister.vbs)"
  run_counted "$name: after_unregister.vbs (64-bit host)" "${cscript64[@]}" "$(script after_unregister.vbs)"
  local left
  left=$(classes_lines_naming "$servers_pattern")
  if [ "$foreign" = yes ]; then
    local still
    still=$(wine reg query "HKCR\\$foreign_progid\\CLSID" /ve 2>/dev/null | tr -d '\r')
    grep -q "$foreign_clsid" <<<"$still" || fail "$name: the foreign $foreign_progid is gone"
    # Its two lines (key and value) are the only ones that may be left.
    left=$((left - 2))
  fi
  if [ "$left" = 0 ]; then
    echo "ok   $name: no class, programmatic identifier, interface or type library of the setup is left"
  else
    fail "$name: $left registry lines that name the servers are left"
  fi
  for view in 32 64; do
    wine reg query "$uninstall_key" /reg:$view >/dev/null 2>&1 && fail "$name: the uninstall entry is left ($view-bit view)"
  done
  wine uninstaller --list 2>/dev/null | grep -q sarn10b && fail "$name: the list of installed programs still names sarn10b"
  wineserver -k 2>/dev/null || true
}

setup_round "setup into a fresh prefix" no
setup_round "setup beside an outside component of the machine's own" yes

# A server that cannot be registered: the setup fails and takes back all it did.
echo "== a setup whose last server cannot be registered (at ${SECONDS}s)"
rm -rf "$out/broken64"
cp -r "$out/stage64" "$out/broken64"
echo "not a program" >"$out/broken64/sarn_outside.dll"
broken=$out/broken-setup.exe
makensis -V2 -WX -DVERSION="$version" -DBIN32="$out/stage32" -DBIN64="$out/broken64" -DOUTFILE="$broken" \
  windows/setup/sarn10b.nsi
use_wine_prefix fresh
wineserver -w
prefix_files >"$out/files-before.txt"
status=0
run_and_wait "$broken" /S || status=$?
if [ "$status" -ne 0 ]; then
  echo "ok   the setup reports the failed registration (exit code $status)"
else
  fail "the setup reported success although a server could not be registered"
fi
left_files=$(LC_ALL=C comm -13 "$out/files-before.txt" <(prefix_files))
[ -z "$left_files" ] || fail "the failed setup left on the drive: $(tr '\n' ' ' <<<"$left_files")"
left=$(classes_lines_naming "$servers_pattern")
[ "$left" = 0 ] || fail "the failed setup left $left registry lines that name the servers"
wine reg query "$uninstall_key" /reg:32 >/dev/null 2>&1 && fail "the failed setup left its uninstall entry"
[ -z "$left_files" ] && [ "$left" = 0 ] && echo "ok   the failed setup left no file and no registration"
wineserver -k 2>/dev/null || true

if [ "$failures" -ne 0 ]; then
  echo "== $failures step(s) of the setup program failed"
  exit 1
fi
echo "== the setup program's tests passed (at ${SECONDS}s)"
