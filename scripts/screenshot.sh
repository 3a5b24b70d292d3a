#!/usr/bin/env bash
# Builds the program and saves a picture of its main window polling the simulated plant,
# on a virtual display: scripts/screenshot.sh [FILE] (default build/screenshot.png).
# SCALE=2 draws it at double scale; PASSES=N waits for N polling passes (default 3).
set -euo pipefail
cd "$(dirname "$0")/.."

file=${1:-build/screenshot.png}
scale=${SCALE:-1}
passes=${PASSES:-3}
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vostrandnet vostrand_lib
width=$((1400 * scale))
height=$((900 * scale))
QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 ${width}x${height}x24" \
  build/release/bin/vostrandnet --demo --screenshot "$file" --screenshot-after "$passes"
