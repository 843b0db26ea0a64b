#!/usr/bin/env bash
# Cost of the keyboard hook per key, under Wine (x64). 2000 key presses go with SendInput to a
# window of another process that only counts its WM_CHAR messages, timed until the last character
# arrives: (a) no hook, the keys typed normally; (b) Pelohook.dll installed as the program starts
# it; (c) a minimal hook library that only swallows the key and posts a fixed character to
# GetFocus(); (d) Pelohook.dll passing shortcuts on; (e) Pelohook.dll with a list of 16 excluded
# programs, none of them the receiving one. They run alternately for several rounds; prints
# medians, the added cost per key and the ratios of each Pelohook.dll configuration to the minimal
# hook (goal <= 1.05 for (d) and (e)) and of (d) and (e) to (b), then size and imports of
# Pelohook.dll for x64 and x86. Builds what it needs into $PELO_BUILD_DIR (default build/).
# Usage: bench/hook/run.sh [keys=2000] [rounds=7]
# shellcheck source=bench/common.sh
source "$(dirname "$0")/../common.sh"
pelo_build x64 PelohookBench
pelo_build x86 Pelohook
pelo_wine_run x64 bench/hook PelohookBench.exe "${1:-2000}" "${2:-7}"

echo
for kind in x64 x86; do
  dll=$build/$kind/hook/Pelohook.dll
  echo "Pelohook.dll $kind: $(stat -c %s "$dll") bytes, imports:" \
    $("$(pelo_triple $kind)-objdump" -p "$dll" | sed -n 's/^\s*DLL Name: //p')
done
