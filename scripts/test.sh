#!/usr/bin/env bash
# Checks the English translation against the sources (scripts/translations-check.sh). Builds
# everything and runs the whole test suite twice: on Qt 5 under AddressSanitizer +
# UndefinedBehaviorSanitizer, and on Qt 6; checks the Ansible collection against the Qt 6 build's
# tools (scripts/ansible-check.sh) and the configuration report in headless Chromium
# (scripts/report-check.sh). Then builds the Debian package from a Release build and checks it
# (scripts/package-check.sh). Installs missing packages first.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
# Qt 6, its offscreen platform for the window tests and its Qt Linguist tools.
velmora_packages+=(qt6-base-dev qt6-qpa-plugins qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools)
velmora_ensure_deps

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen

echo "== the English translation against the sources =="
"$root/scripts/translations-check.sh"

echo "== build (address + undefined sanitizers) =="
cmake -G Ninja -S "$root" -B "$root/build/asan" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON \
    -DVELMORA_BUILD_BENCH=OFF >/dev/null
ninja -C "$root/build/asan" -j"$jobs"
echo "== tests under sanitizers =="
(
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
    ctest --test-dir "$root/build/asan" -j"$jobs" --output-on-failure
)

# Unoptimised, as it compiles fastest: this pass is about building and behaving alike on Qt 6. The
# benchmarks are built here, so that they keep compiling.
echo "== build (Qt 6) =="
cmake -G Ninja -S "$root" -B "$root/build/qt6" -DVELMORA_QT_MAJOR=6 -DCMAKE_BUILD_TYPE=None >/dev/null
ninja -C "$root/build/qt6" -j"$jobs"
echo "== tests on Qt 6 =="
ctest --test-dir "$root/build/qt6" -j"$jobs" --output-on-failure

echo "== the Ansible collection against eight simulated boards =="
"$root/scripts/ansible-check.sh" "$root/build/qt6"

echo "== the configuration report in a real browser =="
"$root/scripts/report-check.sh" "$root/build/qt6"

echo "== package (Release) and its check =="
"$root/scripts/package-check.sh"
