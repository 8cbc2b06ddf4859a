#!/usr/bin/env bash
# Installs sarn10b to a temporary prefix and uses it as someone outside the
# source tree would: registers the component server in that prefix's system
# registry, builds the example host with find_package and with pkg-config,
# creates the six classes by name, and checks what the server exports, the
# sonames, and the Debian package (built for /usr, its files and scripts
# read with dpkg-deb, never installed on this machine). Installs the packages
# it needs when they are missing. Ends with "N passed, M failed".
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

need=()
command -v pkg-config >/dev/null || need+=(pkg-config)
command -v nm >/dev/null || need+=(binutils)
command -v dpkg-deb >/dev/null || need+=(dpkg)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
for p in python3-dev pybind11-dev; do dpkg -s "$p" >/dev/null 2>&1 || need+=("$p"); done
if [ ${#need[@]} -gt 0 ]; then
  echo "== installing ${need[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
  echo "FAILED: $*"
  failed=$((failed + 1))
}
check() {
  local what=$1
  shift
  if "$@" >"$tmp/out" 2>&1; then pass; else
    fail "$what"
    sed 's/^/    /' "$tmp/out"
  fi
}

# Only what gets installed is built: no tests, no Qt.
configure() {
  cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSARN_TESTS=OFF -DSARN_QT=OFF \
    -DCMAKE_INSTALL_PREFIX="$2" >/dev/null
  cmake --build "$1" -j "$jobs" >/dev/null
}

echo "== build and install to a temporary prefix (at ${SECONDS}s)"
configure "$root/build-install" "$prefix"
cmake --install "$root/build-install" >/dev/null
libdir=$(cd "$prefix" && ls -d lib*/ | head -1)
libdir=$prefix/${libdir%/}
server=$libdir/sarn10b/libsarn10b.so

echo "== what the prefix holds (at ${SECONDS}s)"
exports=$(nm -D --defined-only "$server" | awk '{print $3}' | sort | tr '\n' ' ')
check "libsarn10b.so exports its four entry points only (it exports: $exports)" \
  test "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer "
for lib in runtime outside manager library; do
  check "libsarn_$lib has a versioned soname" \
    sh -c "readelf -d '$libdir/libsarn_$lib.so' | grep -q 'SONAME.*\[libsarn_$lib.so.1\]'"
done
for f in include/sarn10b/runtime/classes.h include/sarn10b/library/component.h bin/regserver \
  libexec/sarn10b/demo libexec/sarn10b/host_by_name; do
  check "$f is installed" test -e "$prefix/$f"
done
check "no test or tool sources among the headers" test ! -e "$prefix/include/sarn10b/runtime/tests"

# A user registry of its own, empty: lookups find the server only in the
# prefix's system registry.
export XDG_DATA_HOME=$tmp/user XDG_DATA_DIRS=$tmp/no-other-system-data
unset SARN_REGISTRY
echo "== register in the prefix's system registry (at ${SECONDS}s)"
check "regserver --system register" "$prefix/bin/regserver" --system register "$server"
check "the registration is one file in the prefix's system registry" \
  sh -c "ls '$prefix/share/sarn/registry.d/'Sarn10B-*.server"
check "regserver list shows it" sh -c "'$prefix/bin/regserver' list | grep -q 'Sarn10B.clsKwOrvel10BA.*appobject.*$server'"

echo "== a host outside the source tree (at ${SECONDS}s)"
mkdir -p "$tmp/src"
cp examples/installed_host/CMakeLists.txt examples/installed_host/installed_host.cpp "$tmp/src/"
check "configure with find_package(sarn10b)" \
  cmake -S "$tmp/src" -B "$tmp/host-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix"
check "build with find_package(sarn10b)" cmake --build "$tmp/host-cmake"
check "the find_package host creates the six classes by name" "$tmp/host-cmake/installed_host"
check "build with pkg-config" sh -c "PKG_CONFIG_PATH='$libdir/pkgconfig' g++ -std=c++20 \
  '$tmp/src/installed_host.cpp' -o '$tmp/host-pc' \$(PKG_CONFIG_PATH='$libdir/pkgconfig' pkg-config --cflags --libs sarn10b)"
check "the pkg-config host creates the six classes by name" "$tmp/host-pc"
check "the installed demo host runs from the prefix" "$prefix/libexec/sarn10b/host_by_name" "$server"

python_dir=$prefix/lib/python3/dist-packages
check "the Python module and its stub are installed where Debian's Python looks" \
  sh -c "ls '$python_dir'/sarn10b.cpython-*.so '$python_dir/sarn10b.pyi'"
check "Debian's Python imports the installed module and creates the classes by name" \
  sh -c "cd '$tmp' && PYTHONPATH='$python_dir' /usr/bin/python3 -c \"import sarn10b
for c in ['clsKwAmbrTvsA', 'clsKwOrvel10BA', 'clsKwAmbrGeneralA']: sarn10b.create('Sarn10B.' + c)
assert sarn10b.__file__.startswith('$python_dir'), sarn10b.__file__\""

check "regserver --system unregister" "$prefix/bin/regserver" --system unregister "$server"
check "unregistering removes the file" sh -c "! ls '$prefix/share/sarn/registry.d/'*.server 2>/dev/null"
check "after unregistering the host cannot create the classes" sh -c "! '$tmp/host-cmake/installed_host'"

echo "== the Debian package (at ${SECONDS}s)"
configure "$root/build-deb" /usr
rm -f "$root"/build-deb/sarn10b_*.deb
check "cpack builds the package" sh -c "cd '$root/build-deb' && cpack -G DEB"
deb=$(ls "$root"/build-deb/sarn10b_*.deb 2>/dev/null | head -1)
if [ -n "$deb" ]; then
  dpkg-deb --info "$deb" >"$tmp/info"
  dpkg-deb --contents "$deb" >"$tmp/contents"
  for script in postinst prerm postrm; do
    check "the package has a $script script" grep -q " $script" "$tmp/info"
  done
  check "postinst registers the server for the machine" \
    sh -c "dpkg-deb --ctrl-tarfile '$deb' | tar -xO ./postinst | grep -q '^  /usr/bin/regserver --system register /usr/lib/.*sarn10b/libsarn10b.so$'"
  check "prerm unregisters it" \
    sh -c "dpkg-deb --ctrl-tarfile '$deb' | tar -xO ./prerm | grep -q '/usr/bin/regserver --system unregister /usr/lib/.*sarn10b/libsarn10b.so'"
  for f in ./usr/bin/regserver 'sarn10b/libsarn10b.so$' 'libsarn_runtime.so.1.0.74$' 'libsarn_library.so.1.0.74$' \
    'cmake/sarn10b/sarn10bConfig.cmake$' 'pkgconfig/sarn10b.pc$' 'include/sarn10b/runtime/server.h$' \
    './usr/lib/python3/dist-packages/sarn10b.cpython-.*\.so$' './usr/lib/python3/dist-packages/sarn10b.pyi$'; do
    check "the package holds $f" grep -q "$f" "$tmp/contents"
  done
  mkdir -p "$tmp/deb-root"
  dpkg-deb -x "$deb" "$tmp/deb-root"
  check "the packaged Python module finds the packaged libraries" \
    sh -c "ldd '$tmp/deb-root'/usr/lib/python3/dist-packages/sarn10b.cpython-*.so | grep -q 'libsarn_library.so.1 => $tmp/deb-root/usr/lib/'"
fi

echo "test-install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
