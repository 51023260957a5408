#!/usr/bin/env bash
# Builds the program and starts it against the bundled board simulator on 127.0.0.1:2502.
# The program runs in run/ (its settings file lives there); the simulator keeps its files in
# run/board/. Installs missing packages first.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
velmora_ensure_deps

jobs=$(nproc 2>/dev/null || echo 2)
cmake -G Ninja -S "$root" -B "$root/build/run" -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_BENCH=OFF >/dev/null
ninja -C "$root/build/run" -j"$jobs" velmora velmora-boardsim velmora-fs

workdir="$root/run"
mkdir -p "$workdir/board"
# First start only: point the program at the simulator. A later change made in the settings
# dialog is kept.
if [ ! -f "$workdir/pcbSettings.ini" ]; then
    printf 'IP_ADDRESS=127.0.0.1\n' >"$workdir/pcbSettings.ini"
fi

"$root/build/run/tools/boardsim/velmora-boardsim" --host 127.0.0.1 --port 2502 --dir "$workdir/board" --demo &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT

cd "$workdir"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting the program under Xvfb (nothing will be visible)."
    xvfb-run -a "$root/build/run/app/velmora"
else
    "$root/build/run/app/velmora"
fi
