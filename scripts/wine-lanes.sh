#!/usr/bin/env bash
# Sourced by scripts/test.sh: sets up PELO_LANE_COUNT lanes under $build/lanes for the Windows
# tests. A lane is a virtual display of its own and, for each architecture, a Wine prefix of its
# own ($build/<kind>/wineprefix-lane<N>) whose wineserver runs on that display; ctest gives each
# Windows test one lane (scripts/wine-exec.sh reads which), so tests that run at the same time never
# share a desktop, a registry or a hook. Writes the resource file ctest hands out the lanes from to
# $PELO_LANE_SPEC. pelo_lanes_stop ends the lanes' wineservers and displays.
source "$(dirname "${BASH_SOURCE[0]}")/xvfb-start.sh"
pelo_lanes_start() {
  local build=$1 count=$2 kinds=(x64 x86) lane kind display template prefix pids=()
  export PELO_LANES=$build/lanes
  export PELO_LANE_SPEC=$PELO_LANES/resources.json
  mkdir -p "$PELO_LANES"
  PELO_LANE_XVFB_PIDS=()
  for lane in $(seq 0 $((count - 1))); do
    pelo_start_xvfb || return 1
    PELO_LANE_XVFB_PIDS+=("$PELO_XVFB_STARTED_PID")
    display=$PELO_XVFB_DISPLAY
    mkdir -p "$PELO_LANES/$lane"
    echo "$display" > "$PELO_LANES/$lane/display"
  done
  # One prefix made by Wine per architecture, in which nothing ever runs; the lanes' prefixes are
  # made afresh as copies of it at every start, so that no run inherits what an earlier one left
  # in its prefix (a class registration, a shortcut, a file).
  for kind in "${kinds[@]}"; do
    [ -f "$build/$kind/CMakeCache.txt" ] || continue
    template=$build/$kind/wineprefix-template
    WINEPREFIX=$template wineserver -k 2>/dev/null || true
    DISPLAY=$(cat "$PELO_LANES/0/display") scripts/wine-prefix.sh "$template" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid"; done
  for kind in "${kinds[@]}"; do
    [ -f "$build/$kind/CMakeCache.txt" ] || continue
    template=$build/$kind/wineprefix-template
    WINEPREFIX=$template wineserver -w 2>/dev/null || true
    for lane in $(seq 0 $((count - 1))); do
      prefix=$build/$kind/wineprefix-lane$lane
      WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
      WINEPREFIX=$prefix-fonts wineserver -k 2>/dev/null || true
      rm -rf "$prefix" "$prefix-fonts"
      scripts/wine-prefix.sh "$prefix" --copy-of "$template"
      DISPLAY=$(cat "$PELO_LANES/$lane/display") scripts/wine-prefix.sh "$prefix" --start
    done
  done
  {
    printf '{"version": {"major": 1, "minor": 0}, "local": [{"lane": ['
    for lane in $(seq 0 $((count - 1))); do
      [ "$lane" -gt 0 ] && printf ', '
      printf '{"id": "%s", "slots": 1}' "$lane"
    done
    printf ']}]}\n'
  } > "$PELO_LANE_SPEC"
}

pelo_lanes_stop() {
  local build=$1 prefix pid
  for prefix in "$build"/x64/wineprefix-lane* "$build"/x86/wineprefix-lane*; do
    [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  done
  for pid in "${PELO_LANE_XVFB_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
}

