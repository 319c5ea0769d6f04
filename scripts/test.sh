#!/usr/bin/env bash
# Builds every configuration and runs every test: the native unit tests plain and under the
# sanitizers, both Windows builds, then the native suite again with the formatting check and
# the end-to-end scenarios of the real program under Wine. ctest's summary is the last line.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

jobs=$(nproc)
step() { printf '\n=== %s\n' "$*"; }

for preset in native native-asan native-tsan win64 win32; do
  step "build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

for preset in native-asan native-tsan; do
  step "unit tests under $preset"
  ctest --preset "$preset" -j "$jobs" --label-exclude whole-program
done

step "all tests"
ctest --preset native
