#!/usr/bin/env bash
# Builds the Debian package build/package/velmora_<version>_<arch>.deb with CPack from a Release
# build with Debian's compiler flags (hardening, -O2): velmora, velmora-fs, vmc and velmora-boardsim
# in /usr/bin, the menu entry and its icon, AppStream metadata, manual pages, copyright and
# changelog. Its dependencies are read from the binaries. Installs missing packages first; prints
# the path of the package on its last line.
#   scripts/package.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/package"
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
velmora_packages+=(dpkg-dev help2man)
velmora_ensure_deps

jobs=$(nproc 2>/dev/null || echo 2)
# Debian's flags, asked from the source folder so that their file prefix map names it. Their -O2
# stands: no -O3 from the Release configuration on top.
flags() { (cd "$root" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"); }
cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" \
    -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF -DVELMORA_MANPAGES=ON >/dev/null
ninja -C "$build" -j"$jobs"
rm -f "$build"/velmora_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/velmora_*.deb
