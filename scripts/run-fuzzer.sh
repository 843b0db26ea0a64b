#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time: run-fuzzer.sh BINARY CORPUS_DIR SECONDS [SEED_DIR]
# PELO_FUZZ_SECONDS, when set, takes the place of SECONDS; PELO_FUZZ_RUNS, when set, ends the run
# after that many executions if they come first.
# Fails on any crash, sanitizer report, leak or timeout the fuzzer finds; the failing input is
# left in the corpus folder's parent as crash-*, leak-* or timeout-*. The run bounds itself:
# libFuzzer stops after SECONDS and a watchdog ends it a minute later should it not, which fails.
set -euo pipefail
bin=$1 corpus=$2 seconds=${PELO_FUZZ_SECONDS:-$3} seeds=${4:-}
runs=${PELO_FUZZ_RUNS:--1}
mkdir -p "$corpus"
cd "$(dirname "$corpus")"
args=(-max_total_time="$seconds" -runs="$runs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$corpus")
[ -n "$seeds" ] && args+=("$seeds")
status=0
timeout --kill-after=10 $((seconds + 60)) "$bin" "${args[@]}" || status=$?
if [ $status -eq 124 ] || [ $status -eq 137 ]; then
  echo "run-fuzzer.sh: $(basename "$bin") did not stop within $seconds s and was ended" >&2
fi
exit $status
