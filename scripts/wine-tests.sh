# What the scripts that test the Windows build under Wine share. Sourced, not
# run: the sourcing script sets $out (the Windows build folder) first.

failures=0

# The 64-bit builds run under Wine's 64-bit loader. Debian's `wine` starts the
# 32-bit loader first when wine32 is installed, which then starts 32-bit
# programs of the same name (cscript, regsvr32) that see only the 32-bit
# registry; a `wine` of our own on PATH keeps every call here 64-bit.
wine_shims=$out/wine-bin
mkdir -p "$wine_shims"
printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$wine_shims/wine"
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
