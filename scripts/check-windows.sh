#!/usr/bin/env bash
# Runs the Windows build under Wine: the cross-built tests through ctest, both
# jobs and their undo with sheetwright-cli.exe on a folder with Chinese names
# (the results read with openpyxl on this side), and a silent install and
# uninstall of the installer.
#
#   scripts/check-windows.sh [BUILD_DIR]   after scripts/build-windows.sh --tests
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
build_dir=$(realpath "${1:-build-windows}")
export WINEPREFIX=${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/sheetwright/windows/wine}
# No Mono or Gecko download prompts; no Wine chatter in the output.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
step() { printf '== %s (%(%T)T)\n' "$1" -1; }
fail() {
    echo "FAILED: $1" >&2
    exit 1
}

# Wine takes its code page from the host's locale (936 for zh_CN) and reads
# file names through it: the locale must exist, or Chinese names are lost.
if ! locale -a | grep -qx zh_CN.utf8; then
    step "generating the zh_CN.UTF-8 locale"
    sudo=""
    [[ $(id -u) -ne 0 ]] && sudo="sudo"
    $sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
export LANG=zh_CN.UTF-8
if [[ ! -d $WINEPREFIX ]]; then
    step "making a Wine prefix"
    wine wineboot -i >/dev/null 2>&1
fi

step "tests under Wine"
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root="$scratch/工作簿 根"
cli=$build_dir/src/cli/sheetwright-cli.exe
books="/usr/bin/python3 $repo/tests/windows/sample_books.py"
windows_path() { winepath -w "$1" 2>/dev/null; }
run_cli() { wine "$cli" "$@" >"$scratch/cli.log" 2>&1 || fail "sheetwright-cli.exe $*: $(cat "$scratch/cli.log")"; }
same_as_originals() { diff -r --exclude=.sheetwright "$scratch/originals/$1" "$root/$1" >/dev/null; }

step "both jobs and undo on Chinese names"
$books make "$root"
cp -a "$root" "$scratch/originals"
run_cli unmerge "$(windows_path "$root/unmerge")"
$books check "$root" unmerge || fail "unmerge results"
run_cli transfer "$(windows_path "$root/transfer")" --template "$(windows_path "$root/模板.xlsx")" \
    --range A1:C5
$books check "$root" transfer || fail "transfer results"
run_cli undo "$(windows_path "$root/unmerge")"
same_as_originals unmerge || fail "undo of unmerge left other bytes"
run_cli undo "$(windows_path "$root/transfer")"
same_as_originals transfer || fail "undo of transfer left other bytes"

step "silent install and uninstall"
installer=$(ls "$build_dir"/Sheetwright-*-setup.exe)
wine "$installer" /S
wineserver -w
local_data=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")
start_menu=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")"/Microsoft/Windows/Start Menu/Programs"
installed="$local_data/Programs/Sheetwright"
for file in Sheetwright.exe sheetwright-cli.exe Sheetwright.orv uninstall.exe; do
    [[ -f $installed/$file ]] || fail "$file not installed"
done
[[ -f $start_menu/Sheetwright/Sheetwright.lnk ]] || fail "no Start menu entry"
wine "$installed/sheetwright-cli.exe" --help >/dev/null 2>&1 || fail "the installed CLI does not start"
wine "$installed/uninstall.exe" /S
wineserver -w # the uninstaller goes on from a copy of itself
[[ ! -e $installed/Sheetwright.exe && ! -e $installed/sheetwright-cli.exe ]] || fail "programs left"
[[ ! -e $start_menu/Sheetwright ]] || fail "Start menu entry left"
[[ -f $installed/Sheetwright.orv ]] || fail "the settings file was removed"
rm -rf "$installed"
step "all passed"
