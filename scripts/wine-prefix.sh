#!/usr/bin/env bash
# Creates the Wine prefix $1 once (both architectures), safely when called in parallel.
set -euo pipefail
prefix=$1
[ -f "$prefix/.pelo-ready" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/.pelo-ready" ]; then
  rm -rf "$prefix"
  WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all \
    WINEDLLOVERRIDES=mscoree,mshtml= wineboot -i >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w
  touch "$prefix/.pelo-ready"
fi
