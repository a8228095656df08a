#!/usr/bin/env bash
# Installs what is missing, builds, and starts Sheetwright.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-deps.sh
# Only the programs, with the tests off, so that nothing only the tests need
# is looked for: ./test.sh turns them on again in the same folder.
scripts/build.sh build --target Sheetwright --target sheetwright-cli -DBUILD_TESTING=OFF
exec build/src/app/Sheetwright "$@"
