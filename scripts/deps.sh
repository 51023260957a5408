# Sourced by run.sh and test.sh: installs the Debian packages the build needs when any is missing.
# qttools5-dev and qttools5-dev-tools: Qt Linguist's CMake functions, lrelease and lupdate.
velmora_packages=(g++ cmake ninja-build pkg-config qtbase5-dev qtbase5-dev-tools libqt5network5 libqt5test5
    qttools5-dev qttools5-dev-tools xvfb xauth)

velmora_ensure_deps() {
    local missing=()
    for p in "${velmora_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
