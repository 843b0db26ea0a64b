#!/usr/bin/env bash
# Runs a fuzz target longer than the test run does: scripts/fuzz.sh NAME [SECONDS]
# (NAME is a fuzz target of the native build, e.g. fuzz_keymap_file; SECONDS defaults to 600).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=${1:?usage: scripts/fuzz.sh NAME [SECONDS]}
seconds=${2:-600}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" native
build=${PELO_BUILD_DIR:-$root/build}/native
ctest --test-dir "$build" -N -R "^$name\$" | grep -q "Total Tests: 1" || {
  echo "fuzz.sh: no fuzz target '$name'; known:"; ctest --test-dir "$build" -N -L fuzz | grep 'Test *#'; exit 2; }
export PELO_FUZZ_SECONDS=$seconds
ctest --test-dir "$build" -R "^$name\$" --output-on-failure --timeout $((seconds + 120))
