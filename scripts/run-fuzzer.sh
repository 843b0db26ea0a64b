#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time:
#   run-fuzzer.sh [--min-edges N] BINARY CORPUS_DIR SECONDS [SEED_DIR ...]
# PELO_FUZZ_SECONDS, when set, takes the place of SECONDS; PELO_FUZZ_RUNS, when set, ends the run
# after that many executions if they come first.
# Fails on any crash, sanitizer report, leak or timeout the fuzzer finds; the failing input is
# left in the corpus folder's parent as crash-*, leak-* or timeout-*. The run bounds itself:
# libFuzzer stops after SECONDS and a watchdog ends it a minute later should it not, which fails.
# Ends with one summary line: executions, time, covered edges and corpus size. With --min-edges
# the run also fails when it ends with fewer covered edges than N.
set -euo pipefail
min_edges=
if [ "${1:-}" = --min-edges ]; then
  min_edges=$2
  shift 2
fi
bin=$1 corpus=$2 seconds=${PELO_FUZZ_SECONDS:-$3}
shift 3
runs=${PELO_FUZZ_RUNS:--1}
name=$(basename "$bin")
mkdir -p "$corpus"
cd "$(dirname "$corpus")"
args=(-max_total_time="$seconds" -runs="$runs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
  "$corpus" "$@")
log=$(mktemp)
trap 'rm -f "$log"' EXIT
started=$(date +%s)
status=0
timeout --kill-after=10 $((seconds + 60)) "$bin" "${args[@]}" 2>&1 | tee "$log" || status=${PIPESTATUS[0]}
elapsed=$(($(date +%s) - started))
if [ $status -eq 124 ] || [ $status -eq 137 ]; then
  echo "run-fuzzer.sh: $name did not stop within $seconds s and was ended" >&2
fi

# The last status line ("#RUNS DONE cov: E ft: F corp: N/SIZE ...") holds the figures.
last=$(grep -E '^#[0-9]+.* cov: [0-9]+' "$log" | tail -n 1 || true)
edges=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
corp=$(sed -nE 's/.* corp: ([0-9]+\/[0-9]+[a-zA-Z]*).*/\1/p' <<<"$last")
executions=$(sed -nE 's/^stat::number_of_executed_units: ([0-9]+)/\1/p' "$log" | tail -n 1)
figures="no coverage figures (it stopped before its first status line)"
if [ -n "$edges" ]; then
  figures="$edges edges covered, corpus ${corp%%/*} inputs (${corp#*/})"
fi
echo "run-fuzzer.sh: $name: ${executions:-?} executions in $elapsed s, $figures, exit status $status"
if [ $status -eq 0 ] && [ -n "$min_edges" ] && [ "${edges:-0}" -lt "$min_edges" ]; then
  echo "run-fuzzer.sh: $name covered ${edges:-no} edges, fewer than the $min_edges it must reach" >&2
  status=1
fi
exit $status
