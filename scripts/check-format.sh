#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what clang-format (.clang-format) makes of it, and
# names the files.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else # an exported tree: every source but the build folders
  mapfile -t files < <(find . \( -path ./build -o -path ./dist -o -path ./.git \) -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print | sort)
fi
if ! clang-format --dry-run --Werror "${files[@]}"; then
  echo "check-format.sh: run clang-format -i on the files above" >&2
  exit 1
fi
echo "check-format.sh: ${#files[@]} files formatted"
