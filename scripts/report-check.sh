#!/usr/bin/env bash
# Checks the configuration report in a real browser, Debian's headless Chromium: the report of the
# largest configuration and of a damaged one, made by vmc, rendered to a picture that is not blank,
# printed to PDF (A4 pages, each header drawing whole on one page) and read back as the browser's
# DOM (96 pins with their groups, the findings with their severities). Installs what is missing.
#   scripts/report-check.sh [BUILD_DIR]      (default: build/qt6; vmc and velmora-reportsamples built)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
velmora_packages+=(chromium poppler-utils)
velmora_ensure_deps

build=${1:-$root/build/qt6}
vmc="$build/tools/vmc/vmc"
# The reports in Russian whatever the machine's locale: the checks below read their texts.
export VELMORA_LANG=ru
samples="$build/tests/support/configsamples/velmora-reportsamples"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Only the page itself: no network, no profile of the user's, no background services.
browser() {
    timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$scratch/profile" "$@" 2>>"$scratch/browser.log"
}

# shellcheck source=checks.sh
source "$root/scripts/checks.sh"

"$samples" "$scratch"
export SOURCE_DATE_EPOCH=1765238400

report() { # NAME SOURCE EXPECTED_STATUS
    local status=0
    "$vmc" report "$scratch/$2" -o "$scratch/$1.html" --csv "$scratch/$1.csv" || status=$?
    [ "$status" -eq "$3" ] || { echo "vmc report exited $status, expected $3"; return 1; }
    [ -s "$scratch/$1.html" ] || { echo "no report written"; return 1; }
}
check "vmc report of the largest configuration: written, exit status 0" report largest ModelId_42.vmc 0
check "vmc report of a damaged file: written, exit status 1" report damaged ModelId_7.vmc 1

under_a_megabyte() { [ "$(stat -c %s "$scratch/largest.html")" -lt 1048576 ]; }
check "the largest configuration's report is under 1 MB" under_a_megabyte

for name in largest damaged; do
    page="file://$scratch/$name.html"
    pages=0

    not_blank() {
        browser --screenshot="$scratch/$name.png" --window-size=1280,1600 --hide-scrollbars "$page" &&
            colours=$("$samples" --colours "$scratch/$name.png") &&
            echo "$colours colours" && [ "$colours" -ge 16 ]
    }
    check "$name: the browser's picture of the report is not blank" not_blank

    # The DOM as the browser built it: every pin one element of its group, the findings listed.
    dom() {
        browser --dump-dom "$page" >"$scratch/$name.dom" &&
            pins=$(grep -o '<[a-z]* [^>]*class="pin[ "][^>]*>' "$scratch/$name.dom" | grep -c 'data-group="[a-z]*"') &&
            echo "$pins pin elements with a group" && [ "$pins" -eq 96 ]
    }
    check "$name: the browser's DOM holds 96 pin elements with their groups" dom

    printed() {
        browser --print-to-pdf="$scratch/$name.pdf" --no-pdf-header-footer "$page" &&
            pdfinfo "$scratch/$name.pdf" >"$scratch/$name.info" &&
            grep -Eq '^Page size: .* pts \(A4\)$' "$scratch/$name.info" &&
            pages=$(awk '/^Pages:/ { print $2 }' "$scratch/$name.info") && echo "$pages pages" &&
            [ "$pages" -ge 5 ]
    }
    check "$name: printed to PDF on A4 pages" printed

    # Each header's drawing lies whole on one page: the page of its title shows every position
    # beside its port, as the pin list names them ("PK 5 05" in the odd column, "06 PP 5" in the
    # even one).
    drawings_whole() {
        local header page text position port missing
        for header in X6 X7 X8 X9; do
            page=""
            for ((p = 1; p <= pages; p++)); do
                text=$(pdftotext -f "$p" -l "$p" -layout "$scratch/$name.pdf" -)
                if grep -q "Разъём $header" <<<"$text"; then page=$p; break; fi
            done
            [ -n "$page" ] || { echo "$header: no page holds its drawing"; return 1; }
            missing=""
            while IFS=, read -r _ position _ port _; do
                grep -qF -e "$port $position" -e "$position $port" <<<"$text" || missing+=" $position"
            done < <(grep "^$header," "$scratch/$name.csv")
            [ -z "$missing" ] || { echo "$header: page $page lacks positions$missing"; return 1; }
            echo "$header whole on page $page"
        done
    }
    check "$name: each header drawing whole on one page" drawings_whole
done

findings_of() { grep -o "class=\"finding\"[^>]*data-severity=\"$2\"" "$scratch/$1.dom" | wc -l; }
damage_listed() {
    local errors
    errors=$(findings_of damaged error)
    echo "$errors errors listed" && [ "$errors" -ge 2 ]
}
check "damaged: the report lists the damage as errors" damage_listed
sound_has_no_errors() {
    local errors warnings
    errors=$(findings_of largest error)
    warnings=$(findings_of largest warning)
    echo "$errors errors, $warnings warnings" && [ "$errors" -eq 0 ] && [ "$warnings" -gt 0 ]
}
check "largest: the report lists its warnings and no error" sound_has_no_errors

csv_rows() { [ "$(wc -l <"$scratch/largest.csv")" -eq 97 ]; }
check "the pin list holds a header line and 96 pins" csv_rows

echo "report-check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
