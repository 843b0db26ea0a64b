#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time: run-fuzzer.sh BINARY CORPUS_DIR SECONDS [SEED_DIR]
# Fails on any crash, sanitizer report, leak or timeout the fuzzer finds; the failing input is
# left in the corpus folder's parent as crash-*, leak-* or timeout-*.
set -euo pipefail
bin=$1 corpus=$2 seconds=${PELO_FUZZ_SECONDS:-$3} seeds=${4:-}
mkdir -p "$corpus"
cd "$(dirname "$corpus")"
args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$corpus")
[ -n "$seeds" ] && args+=("$seeds")
exec "$bin" "${args[@]}"
