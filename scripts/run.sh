#!/usr/bin/env bash
# Installs what is missing, builds the x86_64 deliverables, stages them in a folder of their own
# (build/stage) and starts Pelo.exe there under Wine. On the current X display when there is one;
# otherwise on a virtual display, where it saves a PNG screenshot of what Pelo shows, prints its
# path and ends Pelo.
# Usage: scripts/run.sh [--no-setup] [--screenshot]
#   --no-setup    neither install nor build: use what is built (scripts/test.sh has just built it)
#   --screenshot  take the virtual display's path even when DISPLAY is set
# Fails when Pelo.exe has ended by itself before the screenshot.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
setup=1 screenshot=
for arg in "$@"; do
  case $arg in
    --no-setup) setup= ;;
    --screenshot) screenshot=1 ;;
    *) echo "run.sh: unknown option '$arg'" >&2; exit 2 ;;
  esac
done
if [ -n "$setup" ]; then
  bash scripts/install-deps.sh
  bash scripts/build.sh x64
fi
build=${PELO_BUILD_DIR:-$root/build}
stage=$build/stage
mkdir -p "$stage"

missing=()
for f in program/Pelo.exe control/Pelokey.ocx hook/Pelohook.dll program/帮助.chm; do
  if [ -f "$build/x64/$f" ]; then
    cp -f "$build/x64/$f" "$stage/"
  else
    missing+=("$(basename "$f")")
    rm -f "$stage/$(basename "$f")"
  fi
done
echo "Staged in $stage: $(cd "$stage" && ls -1 | tr '\n' ' ')"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Not built yet: ${missing[*]}"
fi
if [ ! -f "$stage/Pelo.exe" ]; then
  echo "Pelo.exe does not exist yet: the libraries above are built and staged, there is nothing to start."
  exit 0
fi

# A prefix of its own: Pelo registers its key button library in the prefix it runs in, and the
# tests' prefixes must not know the class.
export WINEPREFIX=$build/run-wineprefix WINEDEBUG=${WINEDEBUG:--all}
# Chinese text in this prefix (the tests' prefixes keep Wine's own fonts, which their pictures
# are measured against): the dialogs' Chinese font and the key buttons' fonts fall back to the
# CJK font the install step adds.

if [ -n "${DISPLAY:-}" ] && [ -z "$screenshot" ]; then
  scripts/wine-cjk-fonts.sh "$WINEPREFIX"
  cd "$stage" && exec wine Pelo.exe
fi

unset DISPLAY
source scripts/xvfb.sh
scripts/wine-cjk-fonts.sh "$WINEPREFIX"
(cd "$stage" && exec wine Pelo.exe </dev/null >/dev/null 2>&1) &
pelo=$!
sleep "${PELO_SCREENSHOT_DELAY:-8}"
if ! kill -0 "$pelo" 2>/dev/null; then
  status=0
  wait "$pelo" || status=$?
  echo "run.sh: Pelo.exe ended by itself before the screenshot, with status $status" >&2
  wineserver -k 2>/dev/null || true
  exit 1
fi
# At the first start the welcome dialog comes first: shot, then Esc closes it (the keyboard
# window ignores Esc), and the keyboard window is shot.
first=$stage/pelo-start.png
import -window root "$first"
echo "Screenshot of Pelo's start on the virtual display: $first"
xdotool key Escape 2>/dev/null || true
sleep 3
shot=$stage/pelo-screenshot.png
import -window root "$shot"
echo "Screenshot of Pelo on the virtual display: $shot"
wineserver -k 2>/dev/null || true
wait "$pelo" 2>/dev/null || true
