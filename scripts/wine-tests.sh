# What the scripts that test the Windows build under Wine share. Sourced, not
# run: the sourcing script sets $out (the Windows build folder) first.

failures=0

# The 64-bit builds run under Wine's 64-bit loader. Debian's `wine` starts the
# 32-bit loader first when wine32 is installed, which then starts 32-bit
# programs of the same name (cscript, regsvr32) that see only the 32-bit
# registry; a `wine` of our own on PATH keeps every call here 64-bit. With
# SARN_WINE_BITS=32 it is the 32-bit loader instead, for a script that tests
# the 32-bit build with the 32-bit programs of those names.
if [ "${SARN_WINE_BITS:-64}" = 32 ]; then
  wine_shims=$out/wine-bin32 wine_loader=/usr/lib/wine/wine
else
  wine_shims=$out/wine-bin wine_loader=/usr/lib/wine/wine64
fi
mkdir -p "$wine_shims"
printf '#!/bin/sh\nexec %s "$@"\n' "$wine_loader" >"$wine_shims/wine"
chmod 755 "$wine_shims/wine"
case ":$PATH:" in *":$wine_shims:"*) ;; *) export PATH=$wine_shims:$PATH ;; esac

# Wine in the build folder's own prefix: a new one with "fresh", else the one
# there (made when missing). Wine's server stops when the script ends.
use_wine_prefix() {
  export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  if [ "${1:-}" = fresh ]; then rm -rf "$WINEPREFIX"; fi
  trap 'wineserver -k 2>/dev/null || true' EXIT
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
}

winpath() { echo "Z:${1//\//\\}"; }

fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# Runs a test program or script whose last line is "N passed, M failed":
# both the line and M = 0 are required (Wine's cscript exits 0 on script
# errors). A test that hangs is stopped after $counted_seconds (default 600).
run_counted() {
  local name=$1
  shift
  local output status=0
  output=$(timeout "${counted_seconds:-600}" "$@" 2>&1 | tr -d '\r') || status=$?
  local summary
  summary=$(printf '%s\n' "$output" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -1 || true)
  if [ -z "$summary" ]; then
    printf '%s\n' "$output"
    fail "$name printed no summary line (status $status)"
  elif [ "$status" -ne 0 ] || [[ "$summary" != *" 0 failed" ]]; then
    printf '%s\n' "$output"
    fail "$name: $summary (status $status)"
  else
    echo "ok   $name: $summary"
  fi
}

# Runs a GoogleTest program: its own summary must say that every test passed.
run_suite() {
  local name=$1
  shift
  local output status=0
  output=$("$@" 2>&1 | tr -d '\r') || status=$?
  local summary
  summary=$(printf '%s\n' "$output" | grep -E '^\[==========\] [0-9]+ tests? from .* ran' | tail -1 || true)
  if [ -z "$summary" ] || [ "$status" -ne 0 ] || ! printf '%s\n' "$output" | grep -qE '^\[  PASSED  \] [0-9]+ tests?'; then
    printf '%s\n' "$output" | grep -E '^\[  FAILED  \]|Failure|error' | head -40
    fail "$name (status $status): ${summary:-no GoogleTest summary}"
  else
    local skipped
    skipped=$(printf '%s\n' "$output" | grep -oE '^\[  SKIPPED \] [0-9]+ tests?' | grep -oE '[0-9]+' || echo 0)
    echo "ok   $name: ${summary#\[==========\] }, $skipped skipped"
  fi
}

# The four C++ suites, the portable sources and the type library text of
# the build in $out, each result named with the suffix $1 (" (32-bit)").
run_build_checks() {
  local suffix=${1:-}
  echo "== the C++ suites under Wine$suffix (at ${SECONDS}s)"
  local suite
  for suite in runtime outside manager library; do
    run_suite "${suite}_tests$suffix" wine "$out/suites/${suite}_tests.exe"
  done
  echo "== the build's own programs under Wine$suffix (at ${SECONDS}s)"
  run_counted "portable sources$suffix" wine "$out/portable_smoke.exe"
  if diff <(wine "$out/typelib_text.exe" | tr -d '\r') "$out/generated.idl" >/dev/null; then
    echo "ok   the build$suffix generates the same type library text as the build-time tool"
  else
    fail "the type library text of the build$suffix differs from the one compiled into the DLL"
  fi
}

# What names the library, the tree view server and the stand-ins in the
# registry: programmatic identifiers and every identifier of theirs.
servers_pattern='Sarn10B|SarnTree|3D1F2C70|KwBrenta10|DC2D02CB|E43FE17E|BBE2453E|6419B1F7|380405B7|40CD8B51|E532C398|7A1C059C|B9607827|96BB7F19|7CE6E4B5|D547E30A|0CE301AC|C71FCAF0|C1B08FD3|931DE632|66D62AB5|768DFD03|5A3A2964|C6EA3819|20C9CED4|BC549E90'

# Counts the lines of the classes root (both registry views: the 32-bit one
# is its Wow6432Node) that match an extended regular expression.
classes_lines_naming() {
  local file=$out/classes-$$.reg
  wine reg export 'HKEY_CLASSES_ROOT' "$(winpath "$file")" /y >/dev/null 2>&1 || true
  iconv -f UTF-16LE -t UTF-8 "$file" 2>/dev/null | tr -d '\r' | grep -ciE "$1" || true
  rm -f "$file"
}
