#!/usr/bin/env bash
# Installs what building, running and testing Pelo needs on Debian 12 (run as root).
# Does nothing for packages already present. A CJK font lets Wine show the Chinese texts;
# unicode-data holds the Unicode files that the character name table is generated from.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  fresh_arch=1
fi

for p in cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
  mingw-w64-tools binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
  wine wine64 xvfb xdotool x11-apps imagemagick googletest clang \
  libclang-rt-14-dev clang-format g++ python3 fp-utils fonts-wqy-microhei fonts-arphic-uming \
  fonts-dejavu-core nsis unicode-data; do
  have "$p" || need+=("$p")
done
have wine32:i386 || need+=("wine32:i386")

if [ ${#need[@]} -gt 0 ] || [ -n "${fresh_arch:-}" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  if [ ${#need[@]} -gt 0 ]; then
    apt-get install -y -q --no-install-recommends "${need[@]}"
  fi
fi

# The posix thread model of the cross compilers is the one that has std::thread.
for a in x86_64 i686; do
  for t in g++ gcc; do
    if [ -e "/usr/bin/$a-w64-mingw32-$t-posix" ]; then
      update-alternatives --set "$a-w64-mingw32-$t" "/usr/bin/$a-w64-mingw32-$t-posix" >/dev/null 2>&1 || true
    fi
  done
done
