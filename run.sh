#!/usr/bin/env bash
# Installs what is missing, builds, and starts Sheetwright.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-deps.sh
# Only the programs: ./test.sh builds the tests.
scripts/build.sh build --target Sheetwright --target sheetwright-cli
exec build/src/app/Sheetwright "$@"
