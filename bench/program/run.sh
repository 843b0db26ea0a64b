#!/usr/bin/env bash
# Builds and runs the program benchmark under Wine: start-up, shutdown and the soft Shift of
# Pelo.exe against a minimal dialog program in the same run, and the memory both use. Prints
# the start-up ratio and Pelo's private memory against their goals.
# Usage: bench/program/run.sh [x64|x86]   (build root: $PELO_BUILD_DIR, default <repo>/build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
kind=${1:-x64}
build=${PELO_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" "$kind" >/dev/null
cmake --build "$build/$kind" --target pelo_program_bench >/dev/null
source "$root/scripts/xvfb.sh"
cd "$build/$kind/bench/program"
"$root/scripts/wine-exec.sh" ./pelo_program_bench.exe
