#!/usr/bin/env bash
# Replays, with real accounts, what another local user can try against a
# user's (or root's) component servers and registries: the victim
# (sarn-victim) and root register and create classes, the attacker
# (sarn-attacker) does every step of theirs as that account. A marker
# library whose constructor leaves a file stands in for the attacker's code;
# after every attack the marks folder must be empty.
#
#   scripts/test-second-user.sh [BUILD-DIR]   (default: build, already built)
#
# Needs root to make the accounts; without root it says SKIPPED and exits 0.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
case "$build" in /*) ;; *) build=$root/$build ;; esac

if [ "$(id -u)" -ne 0 ]; then
  echo "test-second-user: SKIPPED (needs root to make a second user)"
  exit 0
fi

need=()
command -v gcc >/dev/null || need+=(gcc)
command -v g++ >/dev/null || need+=(g++)
command -v useradd >/dev/null || need+=(passwd)
command -v runuser >/dev/null || need+=(util-linux)
command -v flock >/dev/null || need+=(util-linux)
if [ ${#need[@]} -gt 0 ]; then
  echo "== installing ${need[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

victim=sarn-victim
attacker=sarn-attacker
for account in "$victim" "$attacker"; do
  id -u "$account" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$account"
done
vhome=$(getent passwd "$victim" | cut -d: -f6)
chmod 0755 "$vhome"  # as on many machines: others may look in, not write
auid=$(id -u "$attacker")

libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
cmake --build "$build" --target regserver sarn10b >/dev/null

work=$(mktemp -d /tmp/sarn-second-user.XXXXXX)
chmod 0755 "$work"
cleanup() { rm -rf "$work" "$vhome/.local/share/sarn"; }
trap cleanup EXIT

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  echo "FAILED: $1"
}
# check WHAT COMMAND...: the command must succeed.
check() {
  local what=$1
  shift
  if "$@" >"$work/out" 2>&1; then pass; else
    fail "$what"
    sed 's/^/    /' "$work/out"
  fi
}
# refused WHAT TEXT COMMAND...: the command must fail, saying TEXT.
refused() {
  local what=$1 text=$2
  shift 2
  if "$@" >"$work/out" 2>&1; then
    fail "$what (it succeeded)"
  elif ! grep -qF -- "$text" "$work/out"; then
    fail "$what (it did not say \"$text\")"
    sed 's/^/    /' "$work/out"
  else
    pass
  fi
}
# Nothing of the attacker's has run, in any process of anyone.
nothing_ran() {
  if [ -n "$(ls -A "$work/marks")" ]; then
    fail "$1: the attacker's code ran ($(ls "$work/marks" | tr '\n' ' '))"
    rm -f "$work/marks"/*
  else
    pass
  fi
}
as_victim() { runuser -u "$victim" -- env -i PATH=/usr/bin:/bin HOME="$vhome" "$@"; }
as_attacker() { runuser -u "$attacker" -- env -i PATH=/usr/bin:/bin HOME=/nonexistent "$@"; }

echo "== a prefix, the marker and the helpers (at ${SECONDS}s)"
prefix=$work/prefix
mkdir -p "$prefix/bin" "$prefix/$libdir/sarn10b" "$work/marks"
chmod 1777 "$work/marks"
cp -P "$build/$libdir"/libsarn_*.so* "$prefix/$libdir/"
cp "$build/$libdir/sarn10b/libsarn10b.so" "$prefix/$libdir/sarn10b/"
cp "$build/bin/regserver" "$prefix/bin/"
server=$prefix/$libdir/sarn10b/libsarn10b.so
regserver=$prefix/bin/regserver
cat >"$work/marker.c" <<EOF
#include <stdio.h>
#include <unistd.h>
__attribute__((constructor)) static void mark(void) {
    char path[4096];
    snprintf(path, sizeof path, "%s/ran-uid%d-pid%d", "$work/marks", (int)getuid(), (int)getpid());
    FILE* f = fopen(path, "w");
    if (f) fclose(f);
}
int DllRegisterServer(void) { return 0; }
int DllUnregisterServer(void) { return 0; }
EOF
gcc -shared -fPIC -o "$work/marker.so" "$work/marker.c"
# Exchanges two names again and again for some seconds (renameat2 with
# RENAME_EXCHANGE); prints how many exchanges the kernel allowed.
cat >"$work/swap.c" <<'EOF'
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>
int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const time_t end = time(NULL) + atoi(argv[3]);
    long done = 0;
    while (time(NULL) < end)
        if (syscall(SYS_renameat2, AT_FDCWD, argv[1], AT_FDCWD, argv[2], 2 /* RENAME_EXCHANGE */) == 0) ++done;
    printf("%ld\n", done);
    return 0;
}
EOF
gcc -O2 -o "$work/swap" "$work/swap.c"
cat >"$work/create.cpp" <<'EOF'
// Creates a class by its programmatic identifier, as any host does.
#include <iostream>
#include "runtime/classes.h"
#include "runtime/error.h"
int main(int argc, char** argv) {
    try {
        if (argc != 2 || !rt::createObject(argv[1])) return 2;
        std::cout << "created " << argv[1] << "\n";
        return 0;
    } catch (const rt::Error& e) {
        std::cout << "error " << e.number() << ": " << e.description() << "\n";
        return 1;
    }
}
EOF
g++ -std=c++20 -I"$root" -o "$work/create" "$work/create.cpp" "$prefix/$libdir/libsarn_runtime.so.1" \
  -Wl,-rpath,"$prefix/$libdir"
chmod -R a+rX "$work"
# The marker shows when it runs: loaded on purpose, it leaves its mark.
/usr/bin/python3 -c "import ctypes, sys; ctypes.CDLL(sys.argv[1])" "$work/marker.so"
check "the marker leaves a mark when it is loaded" sh -c "ls '$work/marks' | grep -q ran-uid0"
rm -f "$work/marks"/*
progid=Sarn10B.clsKwAmbrTvsA
# A registration of the server as the victim would have made it, naming path.
registration_at() {
  sed "s|^server\t.*|server\t$1|" "$work/template.server"
}
mkdir -p "$work/template" && chown "$victim:" "$work/template"
as_victim "$regserver" --registry "$work/template/registry" register "$server" >/dev/null
cp "$work/template/registry.d"/*.server "$work/template.server"
vregistry=$vhome/.local/share/sarn/registry
vfolder=$vregistry.d
sysreg=$work/system/registry
mkdir -p "$work/system"
check "the victim registers the package's server" as_victim "$regserver" register "$server"
check "and creates a class by name" as_victim "$work/create" "$progid"
nothing_ran "a plain registration"

echo "== a server in a folder others can write, swapped for a link beside a planted library (at ${SECONDS}s)"
team=$work/team
mkdir -p "$team" && chmod 0777 "$team"
cp "$server" "$team/libsarn10b.so"
registration_at "$team/libsarn10b.so" | as_victim sh -c "cat > '$vfolder/Team-1.server'"
as_victim "$regserver" unregister "$server" >/dev/null
as_attacker sh -c "rm -f '$team/libsarn10b.so' && ln -s '$prefix/$libdir/libsarn_library.so.1' '$team/libsarn10b.so' &&
  cp '$work/marker.so' '$team/libsarn_manager.so.1'"
refused "the victim's creation is refused" "$team can be written by others than its owner" \
  as_victim "$work/create" "$progid"
refused "the victim's registration is refused" "$team can be written by others" \
  as_victim "$regserver" register "$team/libsarn10b.so"
refused "root's registration is refused" "$team can be written by others" \
  "$regserver" --registry "$sysreg" register "$team/libsarn10b.so"
nothing_ran "a link beside a planted library"
rm -f "$vfolder/Team-1.server"

echo "== the server swapped between check and load, 30 rounds each (at ${SECONDS}s)"
race=$work/race
mkdir -p "$race" && chown "$attacker:" "$race"
as_attacker sh -c "cp '$server' '$race/libsarn10b.so' && cp '$work/marker.so' '$race/evil.so'"
as_attacker "$work/swap" "$race/libsarn10b.so" "$race/evil.so" 12 >"$work/swaps" &
swapper=$!
sleep 0.2
for round in $(seq 30); do
  refused "round $round: the victim's registration" "belongs to user $auid" \
    as_victim "$regserver" --registry "$work/vrace/registry" register "$race/libsarn10b.so"
  refused "round $round: root's registration" "belongs to user $auid" \
    "$regserver" --registry "$sysreg" register "$race/libsarn10b.so"
done
wait "$swapper"
echo "   (the attacker made $(cat "$work/swaps") exchanges)"
nothing_ran "an exchange in the attacker's folder"
# In a sticky shared folder the victim's own files cannot be swapped.
shared=$work/shared
mkdir -p "$shared" && chmod 1777 "$shared"
as_victim cp -r "$prefix/$libdir" "$shared/victim-lib"
as_attacker cp "$work/marker.so" "$shared/evil.so"
as_attacker "$work/swap" "$shared/victim-lib/sarn10b/libsarn10b.so" "$shared/evil.so" 8 >"$work/swaps" 2>&1 &
swapper=$!
for round in $(seq 30); do
  check "round $round: the victim registers its own server in the sticky folder" \
    as_victim "$regserver" register "$shared/victim-lib/sarn10b/libsarn10b.so"
done
wait "$swapper"
check "the attacker could not exchange the victim's file" test "$(cat "$work/swaps")" = 0
check "and the victim creates from it" as_victim "$work/create" "$progid"
nothing_ran "an exchange in a sticky folder"

echo "== a world-writable folder two levels above the server (at ${SECONDS}s)"
above=$work/above
mkdir -p "$above/victim"
chown "$victim:" "$above/victim"
as_victim cp -r "$prefix/$libdir" "$above/victim/lib"
check "the victim registers its server" as_victim "$regserver" register "$above/victim/lib/sarn10b/libsarn10b.so"
chmod 0777 "$above"  # a careless administrator
as_attacker sh -c "mv '$above/victim' '$above/gone' && mkdir -p '$above/victim/lib/sarn10b' &&
  cp '$work/marker.so' '$above/victim/lib/sarn10b/libsarn10b.so'"
refused "the victim's creation is refused" "$above can be written by others than its owner" \
  as_victim "$work/create" "$progid"
nothing_ran "a folder above the server"
as_victim "$regserver" register "$server" >/dev/null

echo "== a registry below a world-writable folder, swapped for a link to the victim's own files (at ${SECONDS}s)"
open=$work/open
mkdir -p "$open/victim" && chown "$victim:" "$open/victim" && chmod 0777 "$open"
# An archive the victim downloaded and unpacked: the attacker wrote it.
as_victim mkdir -p "$vhome/Downloads/archive/registry.d"
as_victim cp "$work/marker.so" "$vhome/Downloads/archive/libsarn10b.so"
registration_at "$vhome/Downloads/archive/libsarn10b.so" |
  as_victim sh -c "cat > '$vhome/Downloads/archive/registry.d/Sarn10B-1.server'"
as_attacker sh -c "mv '$open/victim' '$open/gone' && ln -s '$vhome/Downloads/archive' '$open/victim'"
refused "the victim's creation through that registry is refused" "$open can be written by others than its owner" \
  runuser -u "$victim" -- env -i PATH=/usr/bin:/bin HOME="$vhome" SARN_REGISTRY="$open/victim/registry" \
  "$work/create" "$progid"
nothing_ran "a registry below a world-writable folder"
rm -rf "$vhome/Downloads/archive"

echo "== the writers' lock held by another user (at ${SECONDS}s)"
# Each holds for longer than a writer would wait, then lets go by itself.
as_attacker flock -x "$vfolder" sleep 8 >/dev/null 2>&1 &
holder=$!
"$regserver" --registry "$sysreg" register "$server" >/dev/null
as_attacker flock -x "$sysreg.d" sleep 8 >/dev/null 2>&1 &
sysholder=$!
sleep 0.5
refused "the attacker cannot open the victim's lock file" "Permission denied" \
  as_attacker flock -n "$vfolder/.lock" true
start=$SECONDS
check "the victim registers while the attacker locks its folder" as_victim "$regserver" register "$server"
check "root unregisters while the attacker locks the system folder" \
  "$regserver" --registry "$sysreg" unregister "$server"
check "neither waited for the attacker" test $((SECONDS - start)) -lt 5
wait "$holder" "$sysholder" || true
nothing_ran "the writers' lock"

as_victim "$regserver" unregister "$server" >/dev/null 2>&1 || true
as_victim "$regserver" unregister "$shared/victim-lib/sarn10b/libsarn10b.so" >/dev/null 2>&1 || true
echo "test-second-user: $passed passed, $failed failed (at ${SECONDS}s)"
[ "$failed" -eq 0 ]
