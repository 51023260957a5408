#!/usr/bin/env bash
# Checks the Ansible collection velmora.board (integrations/ansible) with Debian's ansible-core: the
# modules' unit tests, their documentation, the collection's tarball, and playbooks against eight
# simulated boards on 127.0.0.1, one inventory host each, run with eight forks through the built
# velmora-fs and vmc: a first sync changes every board, a second changes none and neither writes nor
# reads a board file (velmora-fs keeps its record of the first in a cache folder of the check's), a
# configuration file edited shows as its readable diff in check mode without a write, and a board
# stopped fails that host only. Installs ansible-core when missing.
#   scripts/ansible-check.sh [BUILD_DIR]
#       (BUILD_DIR default: build/qt6, with velmora-fs, vmc and velmora-boardsim built)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
velmora_packages+=(ansible-core)
velmora_ensure_deps

build=$(cd "${1:-$root/build/qt6}" && pwd)
collection="$root/integrations/ansible"
boards=8
scratch=$(mktemp -d)
sims=()
cleanup() {
    [ ${#sims[@]} -eq 0 ] || kill "${sims[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

# The built tools first, the collection from the source tree, and homes of its own: nothing of the
# user's Ansible set-up, cache or state takes part. No byte code is written into the source tree.
export PATH="$build/tools/fsclient:$build/tools/vmc:$build/tools/boardsim:$PATH"
export HOME="$scratch/home" XDG_CACHE_HOME="$scratch/cache"
export ANSIBLE_COLLECTIONS_PATH="$scratch/collections" ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0
export PYTHONDONTWRITEBYTECODE=1
# velmora-fs in Russian whatever the machine's locale: a check below reads its message.
export VELMORA_LANG=ru
mkdir -p "$HOME" "$XDG_CACHE_HOME" "$ANSIBLE_COLLECTIONS_PATH/ansible_collections/velmora"
ln -s "$collection" "$ANSIBLE_COLLECTIONS_PATH/ansible_collections/velmora/board"

# shellcheck source=checks.sh
source "$root/scripts/checks.sh"

# The interpreter Ansible runs on, which has its libraries.
python=$(sed -n '1s/^#! *//p' "$(command -v ansible-playbook)")
unit_tests() {
    PYTHONPATH="$ANSIBLE_COLLECTIONS_PATH" $python -m unittest discover -s "$collection/tests/unit/plugins/modules"
}
check "the modules' unit tests pass" unit_tests

documented() {
    local module
    for module in info sync fetch; do
        ansible-doc "velmora.board.$module" | grep -q "^> VELMORA.BOARD.${module^^} " || return 1
    done
}
check "ansible-doc renders velmora.board.info, sync and fetch" documented

version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
tarball() {
    local built="$scratch/galaxy/velmora-board-$version.tar.gz"
    ansible-galaxy collection build "$collection" --output-path "$scratch/galaxy" &&
        tar -tzf "$built" >"$scratch/galaxy.list" &&
        grep -qx 'plugins/modules/sync.py' "$scratch/galaxy.list" &&
        grep -qx 'plugins/module_utils/velmora_tools.py' "$scratch/galaxy.list" &&
        ! grep -E '^tests/|__pycache__' "$scratch/galaxy.list"
}
check "ansible-galaxy builds velmora-board-$version.tar.gz, without tests or caches" tarball

# Eight boards, each logging its requests to a file of its own.
for ((i = 1; i <= boards; i++)); do
    : >"$scratch/sim$i.out"
    velmora-boardsim --host 127.0.0.1 --port 0 --big >"$scratch/sim$i.out" 2>"$scratch/sim$i.log" &
    sims+=($!)
done
{
    echo '[boards]'
    for ((i = 1; i <= boards; i++)); do
        port=""
        for ((tries = 0; tries < 100 && ${#port} == 0; tries++)); do
            read -r _ _ port <"$scratch/sim$i.out" || sleep 0.1
        done
        [ -n "$port" ] || { echo "simulator $i did not start" >&2; exit 1; }
        echo "board-$i ansible_host=127.0.0.1 board_port=$port"
    done
    echo '[boards:vars]'
    echo 'ansible_connection=local'
    echo 'ansible_python_interpreter={{ ansible_playbook_python }}'
} >"$scratch/inventory"

# The line's configuration: a model-id file packed from the fuzz corpus's per-tab files (each
# without its first byte, which picks the fuzzer's section), one of those tab files, and a text.
tab_names=(GpioPortsSettings.vmc doRegPortsSettings.vmc diRegPortsSettings.vmc analogRegInputs.vmc
    analogTiInputs.vmc pwmPortsSettings.vmc digitalOutputs.vmc digitalInputs.vmc analogInputs.vmc
    analogOutputs.vmc)
mkdir -p "$scratch/tabs" "$scratch/line"
for i in "${!tab_names[@]}"; do
    tail -c +2 "$root"/fuzz/corpus/configfile/"${i}"_*_window >"$scratch/tabs/${tab_names[i]}"
done
vmc pack "$scratch/tabs" --model-id 42 -o "$scratch/line"
cp "$scratch/tabs/pwmPortsSettings.vmc" "$scratch/line/"
# Eight bytes: the board keeps whole 4-byte words, and a fetched copy is then equal.
echo 'line A.' >"$scratch/line/readme.txt"

cat >"$scratch/sync.yml" <<'EOF'
- name: Commission the line's boards
  hosts: boards
  gather_facts: false
  tasks:
    - name: Sync the line's configuration files
      velmora.board.sync:
        src: "{{ line }}"
        board: "{{ ansible_host }}:{{ board_port }}"
        delete: true
EOF
playbook() { # OUTPUT ARGUMENTS...: runs the playbook on every board, its output into OUTPUT
    local output=$1
    shift
    ansible-playbook -i "$scratch/inventory" --forks "$boards" -e "line=$scratch/line" "$@" \
        "$scratch/sync.yml" >"$output" 2>&1 || true
}

# Every host's line in the play recap matches the pattern; the hosts named after it, another.
recap() { # OUTPUT PATTERN [HOST PATTERN]...
    local output=$1 pattern=$2 i
    shift 2
    for ((i = 1; i <= boards; i++)); do
        local expected=$pattern
        if [ $# -ge 2 ] && [ "$1" = "board-$i" ]; then expected=$2; fi
        grep -Eq "^board-$i +: .*($expected)" "$output" ||
            { echo "board-$i: not $expected"; grep -m 2 -E "^(fatal|failed):" "$output"; sed -n '/PLAY RECAP/,$p' "$output"; return 1; }
    done
}

# What the boards logged since the mark: marks are the logs' sizes.
mark_logs() { for ((i = 1; i <= boards; i++)); do stat -c %s "$scratch/sim$i.log"; done >"$scratch/mark"; }
logged_since_mark() { # WHAT: no board logged a request of that kind since the mark
    local i=1 size
    while read -r size; do
        if tail -c +$((size + 1)) "$scratch/sim$i.log" | grep -E "recv ($1) "; then
            echo "board-$i logged the above"
            return 1
        fi
        i=$((i + 1))
    done <"$scratch/mark"
}

first_run() {
    playbook "$scratch/run1.out" && recap "$scratch/run1.out" 'ok=1 +changed=1 +unreachable=0 +failed=0'
}
check "first sync: all $boards hosts changed" first_run

fetched_whole() {
    ansible boards -i "$scratch/inventory" --forks "$boards" -m velmora.board.fetch \
        -a "board={{ ansible_host }}:{{ board_port }} dest=$scratch/fetched hostname={{ inventory_hostname }}" \
        >"$scratch/fetch.out" 2>&1 || { cat "$scratch/fetch.out"; return 1; }
    for ((i = 1; i <= boards; i++)); do
        diff -r "$scratch/line" "$scratch/fetched/board-$i" || return 1
    done
}
check "fetch: every board's files into its host's folder, equal to the line's" fetched_whole

mark_logs
second_run() {
    playbook "$scratch/run2.out" && recap "$scratch/run2.out" 'ok=1 +changed=0 +unreachable=0 +failed=0' &&
        logged_since_mark 'write|delete'
}
check "second sync: no host changed, no board written" second_run
check "second sync: no board file read" logged_since_mark get

# One record of the tab file edited: its frequency from 100 to 250. The copy before keeps its name,
# which tells vmc how to read it.
mkdir "$scratch/before"
cp "$scratch/line/pwmPortsSettings.vmc" "$scratch/before/"
printf '\x01\x00\x2b\x00\xfa\x00\x00\x00' >"$scratch/line/pwmPortsSettings.vmc"
changed_line=$(diff <(vmc dump "$scratch/before/pwmPortsSettings.vmc" | tail -n +2) \
    <(vmc dump "$scratch/line/pwmPortsSettings.vmc" | tail -n +2) | sed -n 's/^> //p' || true)
mark_logs
check_diff() {
    [ -n "$changed_line" ] || { echo "vmc dump shows no change"; return 1; }
    playbook "$scratch/check.out" --check --diff &&
        recap "$scratch/check.out" 'ok=1 +changed=1 +unreachable=0 +failed=0' || return 1
    # Each host's diff comes right before its "changed: [host]" line.
    local hosts
    hosts=$(awk -v line="+$changed_line" '$0 == line { seen = 1 }
        /^changed: \[board-[0-9]+\]/ { if (seen) print; seen = 0 }' "$scratch/check.out" | sort -u | wc -l)
    echo "$hosts hosts show \"+$changed_line\""
    [ "$hosts" -eq "$boards" ] && logged_since_mark 'write|delete'
}
check "--check --diff: the edited file's vmc dump line on all $boards hosts, no board written" check_diff

kill "${sims[0]}"
wait "${sims[0]}" 2>/dev/null || true
one_down() {
    playbook "$scratch/down.out" &&
        recap "$scratch/down.out" 'changed=1 +unreachable=0 +failed=0' board-1 'failed=1|unreachable=1' &&
        grep -q 'плата недоступна' "$scratch/down.out"
}
check "a board stopped: that host fails, saying the board is unreachable; the other seven sync" one_down

echo "ansible-check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
