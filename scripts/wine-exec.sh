#!/usr/bin/env bash
# Runs a Windows program under Wine. Used by ctest as the cross-compiling emulator.
# A test that ctest has given a lane (scripts/test.sh sets the lanes up) runs on that lane's
# virtual display, in that lane's prefix of its build folder, with that prefix's own wineserver:
# no other test shares its desktop, registry or hooks meanwhile. Otherwise the program runs in the
# prefix of the build folder it belongs to (the nearest folder above the current one that holds
# CMakeCache.txt, or WINEPREFIX), on DISPLAY. Creates the prefix on first use.
# With PELO_PREFIX_FONTS=1 the program runs in a copy of that prefix with the run command's fonts.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${WINEPREFIX:-}" ]; then
  d=$PWD
  while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  [ -f "$d/CMakeCache.txt" ] || { echo "wine-exec: no build folder above $PWD" >&2; exit 2; }
  export WINEPREFIX=$d/wineprefix
  if [ -n "${CTEST_RESOURCE_GROUP_0_LANE:-}" ]; then
    lane=${CTEST_RESOURCE_GROUP_0_LANE#id:}
    lane=${lane%%,*}
    lanes=${PELO_LANES:-$(dirname "$d")/lanes}
    [ -f "$lanes/$lane/display" ] || { echo "wine-exec: lane $lane is not set up in $lanes" >&2; exit 2; }
    DISPLAY=$(cat "$lanes/$lane/display")
    export DISPLAY WINEPREFIX=$d/wineprefix-lane$lane
  fi
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-exec: DISPLAY is not set; start Xvfb first (scripts/test.sh does)" >&2
  exit 2
fi
"$here/wine-prefix.sh" "$WINEPREFIX"
if [ "${PELO_PREFIX_FONTS:-}" = 1 ]; then
  template=$WINEPREFIX
  export WINEPREFIX=$WINEPREFIX-fonts
  "$here/wine-prefix.sh" "$WINEPREFIX" --copy-of "$template"
  "$here/wine-cjk-fonts.sh" "$WINEPREFIX" </dev/null >/dev/null 2>&1
  "$here/wine-prefix.sh" "$WINEPREFIX" --start
fi
exec wine "$@"
