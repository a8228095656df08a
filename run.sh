#!/usr/bin/env bash
# Installs what is missing, builds, and starts Sheetwright.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-deps.sh
scripts/build.sh build
exec build/src/app/Sheetwright "$@"
