#!/usr/bin/env bash
# Installs what is needed, builds and runs the whole test suite (optimised, then under
# AddressSanitizer and UndefinedBehaviorSanitizer), the threaded suites (links, polling, data
# server and its clients) under ThreadSanitizer, then a short fuzz run.
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

# The Bus, the polling thread and the data server under ThreadSanitizer; a report fails the run.
cmake --preset tsan
cmake --build --preset tsan --target vostrandnet vostrand_lib vostrand-sim \
  vostrand_comm_tests vostrand_acquisition_tests vostrand_network_tests
export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp halt_on_error=1"
for suite in comm acquisition network; do
  QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 "build/tsan/bin/vostrand_${suite}_tests"
done
unset TSAN_OPTIONS

if [[ "$fuzz_seconds" != 0 ]]; then
  scripts/fuzz.sh "$fuzz_seconds"
fi
