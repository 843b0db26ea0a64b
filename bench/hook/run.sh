#!/usr/bin/env bash
# Cost of the keyboard hook per key, under Wine (x64). 2000 key presses go with SendInput to a
# window of another process that only counts its WM_CHAR messages, timed until the last character
# arrives: (a) no hook, the keys typed normally; (b) Pelohook.dll installed; (c) a minimal hook
# library that only swallows the key and posts a fixed character to GetFocus(). The three run
# alternately for several rounds; prints medians, the added cost per key and the ratios
# hook-on/hook-off and Pelohook/minimal (goal <= 1.10), then size and imports of Pelohook.dll for
# x64 and x86. Builds what it needs into $PELO_BUILD_DIR (default build/).
# Usage: bench/hook/run.sh [keys=2000] [rounds=7]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${PELO_BUILD_DIR:-$root/build}
for kind in x64 x86; do
  case $kind in
    x64) triple=x86_64-w64-mingw32 ;;
    x86) triple=i686-w64-mingw32 ;;
  esac
  if [ ! -f "$build/$kind/build.ninja" ]; then
    cmake -S "$root" -B "$build/$kind" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELO_WERROR=ON \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triple.cmake" >/dev/null
  fi
done
cmake --build "$build/x64" --target PelohookBench >/dev/null
cmake --build "$build/x86" --target Pelohook >/dev/null

source "$root/scripts/xvfb.sh"
(cd "$build/x64/bench/hook" && "$root/scripts/wine-exec.sh" PelohookBench.exe "${1:-2000}" "${2:-7}")

echo
for kind in x64 x86; do
  case $kind in
    x64) triple=x86_64-w64-mingw32 ;;
    x86) triple=i686-w64-mingw32 ;;
  esac
  dll=$build/$kind/hook/Pelohook.dll
  echo "Pelohook.dll $kind: $(stat -c %s "$dll") bytes, imports:" \
    $("$triple-objdump" -p "$dll" | sed -n 's/^\s*DLL Name: //p')
done
