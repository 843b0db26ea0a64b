#!/usr/bin/env bash
# Installs what is missing, builds the x86_64 deliverables, stages them in a folder of their own
# (build/stage) and starts Pelo.exe there under Wine. On the current X display when there is one;
# otherwise on a virtual display, where it saves a PNG screenshot of what Pelo shows and prints
# its path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
bash scripts/build.sh x64
build=${PELO_BUILD_DIR:-$root/build}
stage=$build/stage
mkdir -p "$stage"

missing=()
for f in program/Pelo.exe control/Pelokey.ocx hook/Pelohook.dll; do
  if [ -f "$build/x64/$f" ]; then cp -f "$build/x64/$f" "$stage/"; else missing+=("$(basename "$f")"); fi
done
echo "Staged in $stage: $(cd "$stage" && ls -1 | tr '\n' ' ')"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Not built yet: ${missing[*]}"
fi
if [ ! -f "$stage/Pelo.exe" ]; then
  echo "Pelo.exe does not exist yet: the libraries above are built and staged, there is nothing to start."
  exit 0
fi

export WINEPREFIX=$build/x64/wineprefix WINEDEBUG=${WINEDEBUG:--all}
if [ -n "${DISPLAY:-}" ]; then
  scripts/wine-prefix.sh "$WINEPREFIX"
  cd "$stage" && exec wine Pelo.exe
fi

source scripts/xvfb.sh
scripts/wine-prefix.sh "$WINEPREFIX"
(cd "$stage" && wine Pelo.exe >/dev/null 2>&1) &
sleep "${PELO_SCREENSHOT_DELAY:-8}"
shot=$stage/pelo-screenshot.png
import -window root "$shot"
echo "Screenshot of Pelo on the virtual display: $shot"
wineserver -k 2>/dev/null || true
