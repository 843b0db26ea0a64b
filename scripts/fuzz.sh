#!/usr/bin/env bash
# Runs a fuzz target longer than the test run does: scripts/fuzz.sh NAME [SECONDS] [RUNS]
# NAME is a fuzz target of the native build (ctest --test-dir build/native -N -L fuzz lists them,
# e.g. fuzz_keymap_file); SECONDS defaults to 600; RUNS, if given, ends the run after that many
# executions when they come first. Passes unless the fuzzer finds something; prints the fuzzer's
# output, which ends with its statistics (stat::number_of_executed_units: the executions) and the
# runner's summary line (executions, time, covered edges, corpus size).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=${1:?usage: scripts/fuzz.sh NAME [SECONDS] [RUNS]}
seconds=${2:-600}
runs=${3:-}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" native
build=${PELO_BUILD_DIR:-$root/build}/native
ctest --test-dir "$build" -N -R "^$name\$" | grep -q "Total Tests: 1" || {
  echo "fuzz.sh: no fuzz target '$name'; known:"; ctest --test-dir "$build" -N -L fuzz | grep 'Test *#'; exit 2; }
export PELO_FUZZ_SECONDS=$seconds
if [ -n "$runs" ]; then export PELO_FUZZ_RUNS=$runs; fi
# The run bounds itself (scripts/run-fuzzer.sh); ctest's own limit only backs that up.
ctest --test-dir "$build" -R "^$name\$" -V --timeout $((seconds + 300))
