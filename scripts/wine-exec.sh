#!/usr/bin/env bash
# Runs a Windows program under Wine with the prefix of the build folder it belongs to
# (the nearest folder above the current one that holds CMakeCache.txt, or WINEPREFIX).
# Creates that prefix on first use. Used by ctest as the cross-compiling emulator.
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ]; then
  d=$PWD
  while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  [ -f "$d/CMakeCache.txt" ] || { echo "wine-exec: no build folder above $PWD" >&2; exit 2; }
  export WINEPREFIX=$d/wineprefix
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-exec: DISPLAY is not set; start Xvfb first (scripts/test.sh does)" >&2
  exit 2
fi
"$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"
exec wine "$@"
