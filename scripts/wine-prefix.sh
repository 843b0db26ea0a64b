#!/usr/bin/env bash
# Creates the Wine prefix $1 once (both architectures), safely when called in parallel.
# With --start it also starts a persistent wineserver and Wine's own background processes for the
# prefix, with their output going nowhere: started from inside a test instead, they would inherit
# the pipe through which ctest reads that test's output, and ctest would wait for them forever.
set -euo pipefail
prefix=$1
start=${2:-}
if [ "$start" = --start ]; then
  "$0" "$prefix"
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  exit 0
fi
[ -f "$prefix/.pelo-ready" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/.pelo-ready" ]; then
  rm -rf "$prefix"
  WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all \
    WINEDLLOVERRIDES=mscoree,mshtml= wineboot -i >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w
  WINEPREFIX=$prefix wineserver -w
  touch "$prefix/.pelo-ready"
fi
