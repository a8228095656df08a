#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as $1), everything or
# the targets given as "--target NAME" after the folder. Uses ccache
# when it is installed, so rebuilds in other checkouts reuse the objects.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift || true
# Leading "--target NAME" pairs build only those targets; the rest configures.
targets=()
while [[ "${1:-}" == --target && $# -ge 2 ]]; do
    targets+=(--target "$2")
    shift 2
done
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
