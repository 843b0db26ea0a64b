#!/usr/bin/env bash
# Stress runs of the key-map scheme files; not part of the test run. Each prints its figures and
# ends with status 0 only if they are all as they should be.
#
#   stress/scheme/run.sh kill [KILLS=1000] [x64|x86]
#       Kill during save: a helper saves two different schemes into one key-map file by turns
#       and is killed at a random moment, KILLS times; each time the file must be exactly the
#       old or the new scheme (0 torn or empty files), and a save and the slot check must work
#       afterwards.
#   stress/scheme/run.sh hostile [x64|x86]
#       Hostile files: a slot file that is missing, empty, huge (1 GB sparse), of odd length,
#       full of U+0000 or U+FFFF, read-only, a folder, or held open by another process; the slot
#       check, a load, a name read and a save each run on it in a process of their own: no crash,
#       no hang, the listed result, and a file that is there but cannot be read is never replaced.
#   stress/scheme/run.sh fuzz [RUNS=10000000]
#       Each fuzz target of the native build (ASan and UBSan) run to RUNS executions, one after
#       the other: 0 findings (scripts/fuzz.sh NAME SECONDS RUNS for one of them).
#
# Builds what it needs into $PELO_BUILD_DIR (default build/). The Windows runs use Wine on a
# virtual display.
# shellcheck source=bench/common.sh
source "$(dirname "$0")/../../bench/common.sh"
what=${1:?usage: stress/scheme/run.sh kill [KILLS] [x64|x86] | hostile [x64|x86] | fuzz [RUNS]}
shift

windows() { # kind target args...
  local kind=$1 target=$2
  shift 2
  pelo_build "$kind" "$target"
  local status=0
  pelo_wine_run "$kind" stress/scheme "./$target.exe" "$@" || status=$?
  # Wine's background processes would outlive the virtual display.
  WINEPREFIX=$build/$kind/wineprefix wineserver -k 2>/dev/null || true
  return $status
}

case $what in
  kill) windows "${2:-x64}" scheme_save_kill_stress "${1:-1000}" ;;
  hostile) windows "${1:-x64}" scheme_hostile_files_stress ;;
  fuzz)
    runs=${1:-10000000}
    bash "$root/scripts/build.sh" native >/dev/null
    for name in $(ctest --test-dir "$build/native" -N -L fuzz | sed -n 's/^ *Test *#[0-9]*: //p'); do
      # The time limit only backs up the count of executions.
      bash "$root/scripts/fuzz.sh" "$name" 36000 "$runs" | grep -E 'stat::|Passed|Failed|ERROR|SUMMARY'
    done
    ;;
  *) echo "stress/scheme/run.sh: unknown run '$what'" >&2; exit 2 ;;
esac
