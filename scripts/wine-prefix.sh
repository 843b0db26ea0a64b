#!/usr/bin/env bash
# Creates the Wine prefix $1 once (both architectures), safely when called in parallel.
# With --copy-of TEMPLATE it makes the prefix as a copy of the ready prefix TEMPLATE instead, whose
# files share the template's storage: the registry (which the wineserver rewrites by replacing the
# file) and the users' folders are copied outright. Much quicker than Wine's own set-up.
# With --start it also starts a persistent wineserver and Wine's own background processes for the
# prefix, with their output going nowhere: started from inside a test instead, they would inherit
# the pipe through which ctest reads that test's output, and ctest would wait for them forever.
set -euo pipefail
prefix=$1
start=${2:-}
if [ "$start" = --copy-of ]; then
  template=$3
  [ -f "$prefix/.pelo-ready" ] && exit 0
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$prefix/.pelo-ready" ]; then
    "$0" "$template"
    rm -rf "$prefix"
    cp -al "$template" "$prefix"
    rm -rf "$prefix/drive_c/users" "$prefix"/*.reg "$prefix"/.pelo-cjk-fonts
    cp -a "$template/drive_c/users" "$prefix/drive_c/users"
    cp -a "$template"/*.reg "$prefix/"
  fi
  exit 0
fi
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
