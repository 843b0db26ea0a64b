# shellcheck shell=bash
# Sourced by the run scripts of the benchmarks and the stress runs: sets root (the repository)
# and build (the build root: $PELO_BUILD_DIR, default <repo>/build), and gives them a build of
# only what a run needs and a run of a Windows program under Wine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PELO_BUILD_DIR:-$root/build}

# The mingw-w64 target of a Windows build (x64 or x86).
pelo_triple() { # kind
  case $1 in
    x64) echo x86_64-w64-mingw32 ;;
    x86) echo i686-w64-mingw32 ;;
    *) echo "unknown build '$1'" >&2; return 2 ;;
  esac
}

# Builds the targets in the Windows build of that kind, configured as scripts/build.sh does it
# when it is not yet.
pelo_build() { # kind target...
  local kind=$1 triple
  shift
  triple=$(pelo_triple "$kind")
  if [ ! -f "$build/$kind/build.ninja" ]; then
    cmake -S "$root" -B "$build/$kind" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELO_WERROR=ON \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triple.cmake" >/dev/null
  fi
  cmake --build "$build/$kind" --target "$@" >/dev/null
}

# Runs a program of that build in its folder (relative to the build) under Wine, on a virtual
# display when there is no display.
pelo_wine_run() { # kind folder program [argument...]
  local kind=$1 folder=$2
  shift 2
  source "$root/scripts/xvfb.sh"
  (cd "$build/$kind/$folder" && "$root/scripts/wine-exec.sh" "$@")
}
