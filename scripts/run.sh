#!/usr/bin/env bash
# Installs what is needed, builds the program and runs it. Arguments go to the program;
# without any it runs the demo: simulated instruments polled in the main window when a
# display is there, else headless with a table per pass.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vostrandnet vostrand_lib vostrand-sim
if (($# == 0)); then
  if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    set -- --demo
  else
    set -- --demo --headless
  fi
fi
exec build/release/bin/vostrandnet "$@"
