#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, address and undefined-behaviour sanitizers) and runs
# each for SECONDS, as many at a time as there are cores. Prints per target the runs made and
# whether it found anything. Inputs that crash or hang are kept in build/fuzz/findings/<target>/;
# copy each into fuzz/regressions/<target>/ so that the test suite replays it from then on.
#   scripts/fuzz.sh SECONDS [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
velmora_packages+=(clang libclang-rt-14-dev)
velmora_ensure_deps

seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=()
    for source in "$root"/fuzz/*_fuzzer.cpp; do
        name=$(basename "$source" .cpp)
        targets+=("${name%_fuzzer}")
    done
fi

build="$root/build/fuzz"
jobs=$(nproc 2>/dev/null || echo 2)
CC=clang CXX=clang++ cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_BUILD_FUZZ=ON -DVELMORA_BUILD_BENCH=OFF >/dev/null
ninja -C "$build" -j"$jobs" "${targets[@]/%/_fuzzer}" >/dev/null

run_target() {
    local target=$1
    local work="$build/work/$target" findings="$build/findings/$target" log="$build/logs/$target.log"
    mkdir -p "$work" "$findings" "$(dirname "$log")"
    # The corpus grows in the work folder; the seeds in the source tree stay as they are.
    "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$work" "$root/fuzz/corpus/$target" >"$log" 2>&1 || true
    local runs found
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    found=$(find "$findings" -type f | wc -l)
    if [ "$found" -eq 0 ]; then
        printf '%-16s %ss  runs: %s  found nothing\n' "$target" "$seconds" "${runs:-?}"
    else
        printf '%-16s %ss  runs: %s  FOUND %s input(s) in %s\n' "$target" "$seconds" "${runs:-?}" "$found" "$findings"
    fi
}

running=0
for target in "${targets[@]}"; do
    run_target "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait
