#!/usr/bin/env bash
# Builds and runs the key button benchmark under Wine: 37 keys created from their property
# streams and painted 100 times, against 37 push buttons in the same run. Prints the ratio.
# Usage: bench/control/run.sh [x64|x86]   (build root: $PELO_BUILD_DIR, default <repo>/build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
kind=${1:-x64}
build=${PELO_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" "$kind" >/dev/null
cmake --build "$build/$kind" --target pelokey_bench >/dev/null
source "$root/scripts/xvfb.sh"
cd "$build/$kind/bench/control"
"$root/scripts/wine-exec.sh" ./pelokey_bench.exe
