#!/usr/bin/env bash
# Takes the pictures in docs/screenshots/: the main window connected to the board simulator and
# listing its files (in Russian, and again in English), the connection settings dialog, the configuration builder with a file loaded
# and with its check's findings open, and the builder's report in headless Chromium. Everything
# stays on 127.0.0.1: the simulator listens on a free loopback port and the program's settings file
# names 127.0.0.1.
# Runs the real window under Xvfb through a small driver (the program itself takes no options).
#   BUILD_DIR=<dir> scripts/screenshots.sh     (default build dir: build/screenshots)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
velmora_packages+=(chromium)
velmora_ensure_deps

build=${BUILD_DIR:-$root/build/screenshots}
out="$root/docs/screenshots"
jobs=$(nproc 2>/dev/null || echo 2)
if [ ! -f "$build/build.ninja" ]; then
    cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_BENCH=OFF >/dev/null
fi
ninja -C "$build" -j"$jobs" velmora-boardsim velmora-shotdriver

workdir=$(mktemp -d)
sim=""
cleanup() {
    if [ -n "$sim" ]; then
        kill "$sim" 2>/dev/null || true
        wait "$sim" 2>/dev/null || true
    fi
    rm -rf "$workdir"
}
trap cleanup EXIT

"$build/tools/boardsim/velmora-boardsim" --host 127.0.0.1 --port 0 --quiet --demo \
    --file "GpioPortsSettings.vmc=296" --file "ModelId_17.vmc=1840" --file "readme.txt=4321" \
    >"$workdir/sim.out" 2>"$workdir/sim.err" &
sim=$!

# The simulator prints "LISTENING <address> <port>" once it accepts connections.
port=""
for _ in $(seq 1 100); do
    if read -r word _address p <"$workdir/sim.out" 2>/dev/null && [ "$word" = "LISTENING" ]; then
        port=$p
        break
    fi
    if ! kill -0 "$sim" 2>/dev/null; then
        break
    fi
    sleep 0.1
done
if [ -z "$port" ]; then
    echo "the board simulator did not start:" >&2
    cat "$workdir/sim.err" >&2
    exit 1
fi

printf 'IP_ADDRESS=127.0.0.1\n' >"$workdir/pcbSettings.ini"
mkdir -p "$out"
# The builder it opens keeps its recovery lock in the data location: a scratch one, not the user's.
(cd "$workdir" && VELMORA_LANG=ru XDG_DATA_HOME="$workdir/data" xvfb-run -a -s "-screen 0 1280x800x24" \
    "$build/tools/shotdriver/velmora-shotdriver" --port "$port" --out "$out" --report "$workdir/report.html")
# The same run in English, of which the main window's picture is kept.
(cd "$workdir" && VELMORA_LANG=en XDG_DATA_HOME="$workdir/data" xvfb-run -a -s "-screen 0 1280x800x24" \
    "$build/tools/shotdriver/velmora-shotdriver" --port "$port" --out "$workdir/en" --report "$workdir/report-en.html")
cp "$workdir/en/main-window.png" "$out/main-window-en.png"
# The builder's report of the same configuration, as a browser shows it.
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$workdir/profile" --hide-scrollbars \
    --window-size=900,1300 --screenshot="$out/report.png" "file://$workdir/report.html" 2>/dev/null
echo "Screenshots written to $out"
