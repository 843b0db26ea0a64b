#!/usr/bin/env bash
# Builds and runs the program benchmark under Wine: start-up, shutdown and the soft Shift of
# Pelo.exe against a minimal dialog program in the same run, and the memory both use. Prints
# the start-up ratio and Pelo's private memory against their goals.
# Usage: bench/program/run.sh [x64|x86]   (build root: $PELO_BUILD_DIR, default <repo>/build)
# shellcheck source=bench/common.sh
source "$(dirname "$0")/../common.sh"
kind=${1:-x64}
pelo_build "$kind" pelo_program_bench
pelo_wine_run "$kind" bench/program ./pelo_program_bench.exe
