#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it as a user's machine would get it:
# its name, control fields and file list, the menu entry, the icons, the AppStream metadata, the
# manual pages and lintian; then unpacks it into a scratch root (dpkg -x) and runs the command-line
# tools and Ansible's documentation of the collection from there. Installs missing packages first.
# Exit status 1 if any check failed.
#   scripts/package-check.sh [DEB]      (DEB: a package built already by scripts/package.sh)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
velmora_packages+=(dpkg-dev help2man desktop-file-utils appstream lintian man-db file ansible-core)
velmora_ensure_deps

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ $# -gt 0 ]; then
    deb=$1
else
    "$root/scripts/package.sh" | tee "$scratch/package.log"
    deb=$(tail -n 1 "$scratch/package.log")
fi
version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
arch=$(dpkg --print-architecture)
tools=(velmora-fs vmc velmora-boardsim)
# The tools whose --help also speaks English, and so have an English manual page.
english_pages=(velmora-fs vmc)
icon_sizes=(16 22 24 32 48 64 128 256)
metainfo=usr/share/metainfo/org.velmora.velmora.metainfo.xml
desktop=usr/share/applications/velmora.desktop
collections=usr/share/ansible/collections
collection=$collections/ansible_collections/velmora/board

dpkg -x "$deb" "$scratch/root"
unpacked="$scratch/root"

# shellcheck source=checks.sh
source "$root/scripts/checks.sh"

named_as_debian_expects() { [ "$(basename "$deb")" = "velmora_${version}_${arch}.deb" ]; }
check "package file named velmora_${version}_${arch}.deb" named_as_debian_expects

control_fields() {
    [ "$(dpkg-deb -f "$deb" Package)" = velmora ] && [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] &&
        [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ]
}
check "control: package velmora, version $version, architecture $arch" control_fields

# dpkg-shlibdeps read the libraries off the binaries: the C library and Qt's must be among them.
depends_on_libraries() {
    local depends names lib
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    names=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')
    for lib in libc6 libstdc++6 libqt5core5a libqt5gui5 libqt5widgets5 libqt5network5; do
        grep -qxF "$lib" <<<"$names" || return 1
    done
}
check "dependencies computed from the binaries" depends_on_libraries

file_list() {
    local expected=(
        usr/bin/velmora usr/bin/velmora-fs usr/bin/vmc usr/bin/velmora-boardsim
        "$desktop" "$metainfo"
        usr/share/man/man1/velmora.1.gz
        usr/share/doc/velmora/copyright usr/share/doc/velmora/changelog.gz
    )
    local tool size
    for tool in "${tools[@]}"; do expected+=("usr/share/man/man1/$tool.1.gz"); done
    for tool in "${english_pages[@]}"; do expected+=("usr/share/man/en/man1/$tool.1.gz"); done
    for size in "${icon_sizes[@]}"; do expected+=("usr/share/icons/hicolor/${size}x${size}/apps/velmora.png"); done
    # The Ansible collection as the source tree holds it, less its tests.
    while IFS= read -r file; do expected+=("$collection/${file#./}"); done < <(
        cd "$root/integrations/ansible" &&
            find . \( -name tests -o -name __pycache__ \) -prune -o -type f ! -name '*.pyc' -print
    )
    diff -u <(printf '%s\n' "${expected[@]}" | sort) \
        <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort)
}
check "file list: the programs, the menu entry, icons, metadata, manual pages, copyright, changelog, the Ansible collection" file_list

desktop_entry() {
    local entry="$unpacked/$desktop" key
    desktop-file-validate "$entry" || return 1
    for key in 'Type=Application' 'Name=Velmora' 'Name\[ru\]=.+' 'Comment=.+' 'Comment\[ru\]=.+' \
        'Exec=.*velmora.*' 'Icon=velmora' 'Categories=.+'; do
        grep -Eq "^$key\$" "$entry" || { echo "no line $key"; return 1; }
    done
}
check "desktop entry accepted by desktop-file-validate, with its names, comments, Exec, Icon, Categories" desktop_entry

# The entry starts the program in the home directory, where it keeps pcbSettings.ini.
starts_in_home() {
    local exec
    exec=$(sed -n 's/^Exec=//p' "$unpacked/$desktop")
    mkdir -p "$scratch/home" "$scratch/bin"
    printf '#!/bin/sh\npwd > "%s/started-in"\n' "$scratch" >"$scratch/bin/velmora"
    chmod +x "$scratch/bin/velmora"
    (cd / && HOME="$scratch/home" PATH="$scratch/bin:$PATH" eval "$exec")
    [ "$(cat "$scratch/started-in")" = "$scratch/home" ]
}
check "desktop entry starts the program in the home directory" starts_in_home

icons_at_their_sizes() {
    local size png
    for size in "${icon_sizes[@]}"; do
        png="$unpacked/usr/share/icons/hicolor/${size}x${size}/apps/velmora.png"
        file "$png" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" || { file "$png"; return 1; }
    done
}
check "icon theme: velmora.png at ${icon_sizes[*]} pixels" icons_at_their_sizes

metadata() {
    appstreamcli validate --no-net "$unpacked/$metainfo" &&
        grep -q "<release version=\"$version\"" "$unpacked/$metainfo" &&
        grep -q '<launchable type="desktop-id">velmora.desktop</launchable>' "$unpacked/$metainfo"
}
check "AppStream metadata accepted by appstreamcli, naming release $version and the desktop entry" metadata

manual_pages() {
    local page warnings
    for page in velmora "${tools[@]}"; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$unpacked/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
        [ -z "$warnings" ] || { echo "$page: $warnings"; return 1; }
        zcat "$unpacked/usr/share/man/man1/$page.1.gz" | grep -q '^\.SH NAME' || { echo "$page: no NAME"; return 1; }
    done
}
check "manual pages of velmora ${tools[*]} render without warnings" manual_pages

# Cyrillic letters in UTF-8 start with the byte D0 or D1.
english_manual_pages() {
    local page
    for page in "${english_pages[@]}"; do
        zcat "$unpacked/usr/share/man/en/man1/$page.1.gz" | grep -q '^\.SH DESCRIPTION' &&
            ! zcat "$unpacked/usr/share/man/en/man1/$page.1.gz" | LC_ALL=C grep -q $'[\xd0\xd1]' ||
            { echo "$page: not an English page"; return 1; }
    done
}
check "English manual pages of ${english_pages[*]}, with no Russian in them" english_manual_pages

no_lintian_errors() {
    lintian --fail-on error --tag-display-limit 0 "$deb"
}
check "lintian reports no errors" no_lintian_errors
grep -E '^[EW]: ' "$scratch/out" | sed 's/^/    lintian /' || true

libraries_found() {
    local program
    for program in "$unpacked"/usr/bin/*; do
        ! ldd "$program" | grep 'not found' || return 1
    done
}
check "every installed program finds its libraries" libraries_found

# help2man takes the manual page's title from this line.
version_line() { "$unpacked/usr/bin/$1" --version | head -n 1 | grep -E "^$1 .*$version"; }
for tool in "${tools[@]}"; do
    check "$tool --version from the unpacked package prints \"$tool ... $version\"" version_line "$tool"
done

# Debian's Ansible looks for collections under /usr/share/ansible/collections by default.
ansible_collection() {
    local module
    for module in info sync fetch; do
        ANSIBLE_COLLECTIONS_PATH="$unpacked/$collections" HOME="$scratch/home" \
            ansible-doc "velmora.board.$module" | grep -q "^> VELMORA.BOARD.${module^^} " || return 1
    done
}
check "Ansible collection velmora.board: ansible-doc renders info, sync and fetch from the unpacked package" \
    ansible_collection

echo "package-check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
