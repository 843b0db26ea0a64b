#!/usr/bin/env bash
# Runs a Windows test program in a Wine prefix of its own, made afresh from the build's template
# prefix, in which nothing runs: an installer test must start with nothing installed, and must
# leave nothing in a prefix that other tests use. The copy is made as the lanes' prefixes are
# (scripts/wine-prefix.sh --copy-of).
# On the lane's display when ctest gave the test a lane, else on DISPLAY.
# Usage: run-in-fresh-prefix.sh TEMPLATE_PREFIX WORK_DIR [--unzip ZIP FOLDER] -- PROGRAM [ARG...]
#   --unzip  extracts ZIP into C:\FOLDER of the new prefix first
# The prefix is removed afterwards unless the program failed.
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
template=$1 work=$2
shift 2
zip= folder=
if [ "${1:-}" = --unzip ]; then
  zip=$2 folder=$3
  shift 3
fi
[ "${1:-}" = -- ] || { echo "run-in-fresh-prefix: usage: TEMPLATE WORK_DIR [--unzip ZIP FOLDER] -- PROGRAM..." >&2; exit 2; }
shift

if [ -n "${CTEST_RESOURCE_GROUP_0_LANE:-}" ]; then
  lane=${CTEST_RESOURCE_GROUP_0_LANE#id:}
  lane=${lane%%,*}
  DISPLAY=$(cat "${PELO_LANES:?the lanes are not set up}/$lane/display")
  export DISPLAY
fi
[ -n "${DISPLAY:-}" ] || { echo "run-in-fresh-prefix: DISPLAY is not set" >&2; exit 2; }

"$scripts/wine-prefix.sh" "$template"
prefix=$work/prefix
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
[ -d "$prefix" ] && wineserver -k 2>/dev/null || true
rm -rf "$prefix"
mkdir -p "$work"
"$scripts/wine-prefix.sh" "$prefix" --copy-of "$template"
if [ -n "$zip" ]; then
  python3 -m zipfile -e "$zip" "$prefix/drive_c/$folder"
fi

trap 'wineserver -k 2>/dev/null || true' EXIT
# The wineserver and Wine's background processes start detached from ctest's output pipe.
"$scripts/wine-prefix.sh" "$prefix" --start
status=0
wine "$@" || status=$?
wineserver -k 2>/dev/null || true
trap - EXIT
if [ $status -eq 0 ]; then
  rm -rf "$prefix"
fi
exit $status
