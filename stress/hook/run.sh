#!/usr/bin/env bash
# Table replaced while typing, under Wine: one process replaces the hook library's shared table
# (alternately table A and table B) 1000 times a second while 100 000 key presses are typed into a
# window of another process, whose thread runs the hook procedure; every character received must
# be the key's entry of table A or B. Then the table is replaced without pause while keys are
# converted through the library, for the same check at a far higher rate. Builds what it needs
# into $PELO_BUILD_DIR (default build/), for x64 and x86 unless told which. Then the same for the
# list of excluded programs: replaced at that rate, alternately naming the receiving program and
# not, while as many keys are typed; each key must come converted or left alone, and the last list
# must hold at once afterwards.
# Usage: stress/hook/run.sh [keys=100000] [replacements per second=1000] [x64|x86|both=both]
# shellcheck source=bench/common.sh
source "$(dirname "$0")/../../bench/common.sh"
keys=${1:-100000}
rate=${2:-1000}
case ${3:-both} in
  both) kinds=(x64 x86) ;;
  x64 | x86) kinds=("$3") ;;
  *) echo "run.sh: unknown build '$3'" >&2; exit 2 ;;
esac

status=0
for kind in "${kinds[@]}"; do
  pelo_build "$kind" PelohookTableStress PelohookListStress
  echo "== $kind: table"
  pelo_wine_run "$kind" stress/hook PelohookTableStress.exe "$keys" "$rate" || status=1
  echo "== $kind: excluded programs"
  pelo_wine_run "$kind" stress/hook PelohookListStress.exe "$keys" "$rate" || status=1
done
exit $status
