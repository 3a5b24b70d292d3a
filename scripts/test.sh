#!/usr/bin/env bash
# Installs what is needed, builds and runs the whole test suite (optimised, then under
# AddressSanitizer and UndefinedBehaviorSanitizer), then a short fuzz run.
# Usage: scripts/test.sh [FUZZ_SECONDS_PER_TARGET]   (0 skips fuzzing)
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=${1:-10}

scripts/install-deps.sh
cmake --preset ci
cmake --build --preset ci
ctest --preset ci -j "$(nproc)"

# The same tests with AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset asan
cmake --build --preset asan
ctest --preset asan -j "$(nproc)"

if [[ "$fuzz_seconds" != 0 ]]; then
  scripts/fuzz.sh "$fuzz_seconds"
fi
