#!/usr/bin/env bash
# Installs the Debian packages Sheetwright needs, only those still missing,
# so a second call costs a few milliseconds.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qtbase5-dev qtbase5-dev-tools
    # lrelease and the CMake macros for the window's English texts
    qttools5-dev qttools5-dev-tools
    libzip-dev zlib1g-dev libpugixml-dev libdeflate-dev libisal-dev libxxhash-dev
    fonts-wqy-microhei qttranslations5-l10n
    # .xls workbooks: a headless LibreOffice Calc (not -nogui: it aborts on
    # the paste commands), its SDK to build against, and the fonts that
    # workbooks name, so that widths and heights come out as in Excel.
    libreoffice-calc libreoffice-dev libreoffice-dev-common
    fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea
)
if [[ "${1:-}" == "--tests" ]]; then
    packages+=(libxlsxwriter-dev python3 python3-openpyxl clang libclang-rt-14-dev
               python3-xlrd python3-xlwt python3-uno python3-olefile xvfb)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
