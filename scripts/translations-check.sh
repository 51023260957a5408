#!/usr/bin/env bash
# Checks the English translation against the sources: lupdate reads every text the programs
# translate into a scratch copy of translations/velmora_en.ts, which must equal the committed file
# (else it is stale: run this script with --update and translate what it marks); every text must
# have a finished English translation, with the same place markers (%1, %2, %n) as its source.
# Installs missing packages first. Exit status 1 if any check failed.
#   scripts/translations-check.sh [--update]   (--update: rewrite translations/velmora_en.ts)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
velmora_packages+=(qttools5-dev-tools python3)
velmora_ensure_deps

ts="$root/translations/velmora_en.ts"
# Folders that hold no text the programs show.
not_program_folders=(build tests bench fuzz)

lupdate=lupdate
[ -x /usr/lib/qt5/bin/lupdate ] && lupdate=/usr/lib/qt5/bin/lupdate

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The sources lupdate reads, in a stable order.
prune=()
for folder in "${not_program_folders[@]}"; do
    prune+=(-path "./$folder" -prune -o)
done
(cd "$root" && find . "${prune[@]}" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.ui' \) -print |
    sed 's|^\./||' | LC_ALL=C sort) > "$scratch/sources"

# Updates the .ts file $1 from the sources: no line numbers, so that edits elsewhere leave it alone.
run_lupdate() {
    (cd "$root" && "$lupdate" -silent -locations none -no-obsolete -source-language ru_RU \
        -target-language en_US "@$scratch/sources" -ts "$1")
}

if [ "${1:-}" = "--update" ]; then
    run_lupdate "$ts"
    echo "updated $ts"
    exit 0
fi

# shellcheck source=checks.sh
source "$root/scripts/checks.sh"

current() {
    cp "$ts" "$scratch/current.ts"
    run_lupdate "$scratch/current.ts"
    diff -u "$ts" "$scratch/current.ts"
}
check "translations/velmora_en.ts is up to date with the sources (else: $0 --update)" current

# Prints every message whose translation is missing or unfinished, or whose place markers differ.
translations() {
    python3 - "$ts" <<'PY'
import re, sys
import xml.etree.ElementTree as tree

def markers(text):
    return sorted(re.findall(r'%(?:\d+|n|L\d+)', text or ''))

bad = 0
for context in tree.parse(sys.argv[1]).getroot().iter('context'):
    name = context.findtext('name')
    for message in context.iter('message'):
        source = message.findtext('source') or ''
        translation = message.find('translation')
        forms = translation.findall('numerusform') if translation is not None else []
        texts = [f.text or '' for f in forms] if forms else [translation.text or '' if translation is not None else '']
        problem = None
        if translation is None or translation.get('type') in ('unfinished', 'vanished', 'obsolete'):
            problem = 'not translated'
        elif any(not t.strip() for t in texts):
            problem = 'empty translation'
        else:
            for t in texts:
                if markers(t) != markers(source):
                    problem = 'place markers %s, source has %s' % (markers(t), markers(source))
                    break
        if problem:
            bad += 1
            print('%s: "%s": %s' % (name, source.replace('\n', '\\n'), problem))
sys.exit(1 if bad else 0)
PY
}
check "every text has a finished English translation with the source's place markers" translations

echo "translations: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
