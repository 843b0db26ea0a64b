#!/usr/bin/env bash
# Builds the release of both architectures and writes it to dist/: for x64 and x86 the portable
# zip and the per-user installer (Pelo-<version>-<arch>.zip, Pelo-<version>-<arch>-setup.exe),
# the debug files of the three binaries (Pelo-<version>-<arch>-symbols/*.debug, named by each
# binary's .gnu_debuglink), and SHA256SUMS over all of them.
# Installs what is missing first; builds optimised (-O2, with debug information that the packaging
# splits off) in build/release-x64 and build/release-x86. Every packaged file carries the time of
# the commit (SOURCE_DATE_EPOCH), so two runs from one commit give the same bytes. Refreshes the
# README's picture of the keyboard window (docs/pelo-keyboard.png) from the x64 release.
# Usage: scripts/release.sh [--check]
#   --check  then builds everything again from scratch in build/release-check-{x64,x86}, packs it
#            into build/release-check-dist and fails unless every file equals the one in dist/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
check=
for arg in "$@"; do
  case $arg in
    --check) check=1 ;;
    *) echo "release.sh: unknown option '$arg'" >&2; exit 2 ;;
  esac
done

bash scripts/install-deps.sh
epoch=$(git -C "$root" log -1 --format=%ct)
export SOURCE_DATE_EPOCH=$epoch
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
  echo "release.sh: the work tree has changes that are not committed; the packages carry the time of $(git -C "$root" log -1 --format=%h)" >&2
fi

# release_build DIR ARCH: configures (like scripts/build.sh, optimised) and builds the packages.
release_build() {
  local dir=$1 arch=$2 toolchain
  case $arch in
    x64) toolchain=$root/cmake/toolchain-x86_64-w64-mingw32.cmake ;;
    x86) toolchain=$root/cmake/toolchain-i686-w64-mingw32.cmake ;;
  esac
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELO_WERROR=ON \
    "-DCMAKE_C_FLAGS_RELEASE=-O2 -g -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -g -DNDEBUG" \
    -DPELO_KEEP_SYMBOLS=ON -DPELO_SOURCE_DATE_EPOCH="$epoch" -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
  cmake --build "$dir" --target pelo_package --parallel "$(nproc)"
}

# collect OUT BUILD_PREFIX: the packages of BUILD_PREFIX-x64 and BUILD_PREFIX-x86 into OUT.
collect() {
  local out=$1 builds=$2 arch package name
  rm -rf "$out"
  mkdir -p "$out"
  for arch in x64 x86; do
    package=$builds-$arch/installer
    name=$(cat "$package/package-name.txt")
    cp "$package/$name.zip" "$package/$name-setup.exe" "$out/"
    mkdir "$out/$name-symbols"
    cp "$package"/symbols/*.debug "$out/$name-symbols/"
  done
  find "$out" -exec touch -h -d "@$epoch" {} +
  (cd "$out" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | tr '\n' '\0' |
    xargs -0 sha256sum > SHA256SUMS)
  touch -d "@$epoch" "$out/SHA256SUMS"
}

build=$root/build
for arch in x64 x86; do
  release_build "$build/release-$arch" "$arch"
done
collect "$root/dist" "$build/release"
# The README's picture of the keyboard window, from the x64 release as it is packed.
PELO_BUILD_DIR=$build bash scripts/run.sh --no-setup --from "$build/release-x64/installer/package" \
  --picture "$root/docs/pelo-keyboard.png"
echo "Release $(git -C "$root" describe --always --dirty) in $root/dist:"
(cd "$root/dist" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | xargs -d '\n' ls -l --time-style=+%F | awk '{print "  " $5 "\t" $7}')

if [ -n "$check" ]; then
  for arch in x64 x86; do
    rm -rf "$build/release-check-$arch"
    release_build "$build/release-check-$arch" "$arch"
  done
  collect "$build/release-check-dist" "$build/release-check"
  status=0
  while IFS= read -r -d '' f; do
    f=${f#./}
    if cmp -s "$root/dist/$f" "$build/release-check-dist/$f"; then
      echo "same    $f"
    else
      echo "DIFFERS $f"
      status=1
    fi
  done < <(cd "$root/dist" && find . -type f -print0 | LC_ALL=C sort -z)
  for arch in x64 x86; do
    for f in "$build/release-$arch"/installer/package/*; do
      if cmp -s "$f" "$build/release-check-$arch/installer/package/${f##*/}"; then
        echo "same    $arch/${f##*/}"
      else
        echo "DIFFERS $arch/${f##*/}"
        status=1
      fi
    done
  done
  if ! diff -q <(cd "$root/dist" && find . | LC_ALL=C sort) <(cd "$build/release-check-dist" && find . | LC_ALL=C sort) >/dev/null; then
    echo "DIFFERS the two releases hold other files"
    status=1
  fi
  if [ $status -eq 0 ]; then
    echo "release.sh --check: a second build from scratch gave the same bytes for every file"
  else
    echo "release.sh --check: the second build differs" >&2
  fi
  exit $status
fi
