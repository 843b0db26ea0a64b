#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what clang-format (.clang-format) makes of it, and
# names the files.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}"; then
  echo "check-format.sh: run clang-format -i on the files above" >&2
  exit 1
fi
echo "check-format.sh: ${#files[@]} files formatted"
