#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", build/fuzz) and runs each for SECONDS seconds
# (default 20), starting from the seeds in fuzz/corpus/. Exits non-zero on any crash, leak,
# sanitizer report or time-out; the failing input is kept in build/fuzz/artifacts/.
set -euo pipefail

seconds="${1:-20}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/fuzz"
targets=(fuzz_vsb2vsa fuzz_modbus_ascii fuzz_modbus_tcp fuzz_data_server_replies)

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}"

# The targets write their inputs to files: keep that off the disk when memory can hold it.
if [[ -d /dev/shm && -w /dev/shm ]]; then
    export TMPDIR=/dev/shm
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"

status=0
for target in "${targets[@]}"; do
    corpus="$work/$target"
    mkdir -p "$corpus"
    cp "$root/fuzz/corpus/$target/"* "$corpus/" 2>/dev/null || true
    log="$work/$target.log"
    if "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/artifacts/$target-" "$corpus" >"$log" 2>&1; then
        echo "$target: ok, $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log" || echo 'no summary')"
    else
        echo "$target: FAILED"
        tail -n 40 "$log"
        status=1
    fi
done
exit "$status"
