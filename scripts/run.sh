#!/usr/bin/env bash
# Installs what is missing, builds the x86_64 deliverables, stages them in a folder of their own
# (build/stage) and starts Pelo.exe there under Wine. On the current X display when there is one;
# otherwise on a virtual display, where it saves a PNG screenshot of what Pelo shows, prints its
# path and ends Pelo.
# Usage: scripts/run.sh [--no-setup] [--screenshot] [--from DIR] [--picture FILE]
#   --no-setup    neither install nor build: use what is built (scripts/test.sh has just built it)
#   --screenshot  take the virtual display's path even when DISPLAY is set
#   --from DIR    stage the program, its libraries and the help file from DIR (e.g. a release's
#                 package folder) instead of the x86_64 build, in a fresh stage and prefix
#   --picture FILE  with the virtual display: also save the keyboard window alone in FILE (PNG),
#                 as the README shows it
# Fails when Pelo.exe has ended by itself before the screenshot.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
setup=1 screenshot= from= picture=
while [ $# -gt 0 ]; do
  case $1 in
    --no-setup) setup= ;;
    --screenshot) screenshot=1 ;;
    --from) from=$(cd "$2" && pwd); shift ;;
    --picture) picture=$(realpath -m "$2"); screenshot=1; shift ;;
    *) echo "run.sh: unknown option '$1'" >&2; exit 2 ;;
  esac
  shift
done
if [ -n "$setup" ]; then
  bash scripts/install-deps.sh
  bash scripts/build.sh x64
fi
build=${PELO_BUILD_DIR:-$root/build}
stage=$build/stage
run_prefix=$build/run-wineprefix
if [ -n "$from" ]; then
  stage=$build/stage-from
  run_prefix=$build/run-from-wineprefix
  WINEPREFIX=$run_prefix wineserver -k 2>/dev/null || true
  rm -rf "$stage" "$run_prefix"
fi
mkdir -p "$stage"

missing=()
for f in program/Pelo.exe control/Pelokey.ocx hook/Pelohook.dll program/帮助.chm; do
  source_file=$build/x64/$f
  [ -n "$from" ] && source_file=$from/$(basename "$f")
  if [ -f "$source_file" ]; then
    cp -f "$source_file" "$stage/"
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
export WINEPREFIX=$run_prefix WINEDEBUG=${WINEDEBUG:--all}
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
# The pointer away from the keys, whose tips would cover the keyboard.
xdotool mousemove 5 1015 2>/dev/null || true
sleep 3
shot=$stage/pelo-screenshot.png
import -window root "$shot"
echo "Screenshot of Pelo on the virtual display: $shot"
if [ -n "$picture" ]; then
  # The keyboard window alone: below the tray's row at the top, without the empty desktop around it.
  mkdir -p "$(dirname "$picture")"
  convert "$shot" -crop +0+60 +repage -trim +repage -strip "$picture"
  echo "Picture of the keyboard window: $picture"
fi
wineserver -k 2>/dev/null || true
wait "$pelo" 2>/dev/null || true
