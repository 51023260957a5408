#!/usr/bin/env bash
# Builds everything and runs the whole test suite twice: a normal build, then a build with
# AddressSanitizer + UndefinedBehaviorSanitizer. Installs missing packages first.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
velmora_ensure_deps

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen

echo "== build (RelWithDebInfo) =="
cmake -G Ninja -S "$root" -B "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$root/build/test" -j"$jobs"
echo "== tests =="
ctest --test-dir "$root/build/test" -j"$jobs" --output-on-failure

echo "== build (address + undefined sanitizers) =="
cmake -G Ninja -S "$root" -B "$root/build/asan" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON \
    -DVELMORA_BUILD_BENCH=OFF >/dev/null
ninja -C "$root/build/asan" -j"$jobs"
echo "== tests under sanitizers =="
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
ctest --test-dir "$root/build/asan" -j"$jobs" --output-on-failure
