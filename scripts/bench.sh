#!/usr/bin/env bash
# Builds the benchmarks optimised (preset "release", build/release) and runs them; each prints
# its own figures next to a reference measured in the same run.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake --preset release >/dev/null
cmake --build "$root/build/release" -j2 --target vostrand_bench_vsb2vsa vostrand_bench_exchange \
    vostrand_bench_data_file vostrand_bench_polling vostrand_bench_data_server \
    vostrand_bench_sensor_list
"$root/build/release/bin/vostrand_bench_vsb2vsa"
"$root/build/release/bin/vostrand_bench_exchange"
"$root/build/release/bin/vostrand_bench_data_file"
"$root/build/release/bin/vostrand_bench_polling"
"$root/build/release/bin/vostrand_bench_data_server"
"$root/build/release/bin/vostrand_bench_sensor_list"
