#!/usr/bin/env bash
# Installs what is needed, builds the program and runs it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vostrandnet vostrand_lib
exec build/release/bin/vostrandnet "$@"
