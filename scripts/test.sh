#!/usr/bin/env bash
# Installs what is missing, builds everything (warnings are errors) and runs every test:
# native unit tests under ASan/UBSan, bounded fuzz runs, and the Windows tests of both
# architectures under Wine, each test program in a lane of its own (a virtual display, a wineserver
# and a prefix: scripts/wine-lanes.sh), then lists every test case with its result; then the run
# command's headless path once (scripts/run.sh stages the deliverables and, once Pelo.exe exists,
# starts it on a virtual display and takes its screenshot). Fails if any of these fails.
# Arguments go to ctest (e.g. -R x64.pelo_program). PELO_LANE_COUNT sets the number of lanes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
bash scripts/build.sh native x64 x86
build=${PELO_BUILD_DIR:-$root/build}
lanes=${PELO_LANE_COUNT:-3}
source scripts/wine-lanes.sh
trap 'pelo_lanes_stop "$build"' EXIT
pelo_lanes_start "$build" "$lanes"
for kind in x64 x86; do rm -rf "$build/$kind/test-results"; done
status=0
# One more job than lanes: the native tests and fuzz runs go on beside the Windows tests.
ctest --test-dir "$build" --output-on-failure -j$((lanes + 1)) --timeout 600 \
  --resource-spec-file "$PELO_LANE_SPEC" "$@" || status=$?
python3 scripts/test-cases.py "$build"/x64/test-results "$build"/x86/test-results || status=1
pelo_lanes_stop "$build"
trap - EXIT
echo "Run command, headless (scripts/run.sh --no-setup --screenshot):"
run_status=0
PELO_BUILD_DIR=$build timeout --kill-after=10 300 bash scripts/run.sh --no-setup --screenshot || run_status=$?
WINEPREFIX=$build/run-wineprefix wineserver -k 2>/dev/null || true
if [ $run_status -ne 0 ]; then
  echo "test.sh: the run command failed with status $run_status" >&2
  status=1
fi
exit $status
