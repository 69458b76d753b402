#!/usr/bin/env bash
# Builds everything and runs every test: the ordinary build, then the address+undefined sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
for preset in dev asan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
if command -v clang-format >/dev/null; then
  git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror
fi
