#!/usr/bin/env bash
# The one benchmark command: installs the benchmark's Debian packages that are
# missing, then runs bench/run.py (see --help) with Debian's python3.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake g++ make pkg-config
    qtbase5-dev libzip-dev zlib1g-dev libpugixml-dev libdeflate-dev libisal-dev libxxhash-dev
    libxlsxwriter-dev python3-openpyxl python3-xlrd
    libreoffice-calc python3-uno time
)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "Installing: ${missing[*]}" >&2
    sudo=""
    [[ $(id -u) -ne 0 ]] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    # Not libreoffice-calc-nogui: it aborts on the dispatcher commands the peer uses.
    $sudo apt-get install -y -qq "${missing[@]}"
fi

exec /usr/bin/python3 bench/run.py "$@"
