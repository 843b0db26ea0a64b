#!/usr/bin/env bash
# Builds and runs the key button benchmark under Wine: 37 keys created from their property
# streams and painted 100 times, against 37 push buttons in the same run. Prints the ratio.
# Usage: bench/control/run.sh [x64|x86]   (build root: $PELO_BUILD_DIR, default <repo>/build)
# shellcheck source=bench/common.sh
source "$(dirname "$0")/../common.sh"
kind=${1:-x64}
pelo_build "$kind" pelokey_bench
pelo_wine_run "$kind" bench/control ./pelokey_bench.exe
