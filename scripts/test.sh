#!/usr/bin/env bash
# Installs what is missing, builds everything (warnings are errors) and runs every test:
# native unit tests under ASan/UBSan, bounded fuzz runs, and the Windows tests of both
# architectures under Wine on a virtual X display. Ends with ctest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
bash scripts/build.sh native x64 x86
source scripts/xvfb.sh
build=${PELO_BUILD_DIR:-$root/build}
for kind in x64 x86; do scripts/wine-prefix.sh "$build/$kind/wineprefix" --start; done
status=0
ctest --test-dir "$build" --output-on-failure -j2 --timeout 600 "$@" || status=$?
for kind in x64 x86; do WINEPREFIX=$build/$kind/wineprefix wineserver -k 2>/dev/null || true; done
exit $status
