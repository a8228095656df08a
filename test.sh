#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite; then the
# engine, worker, settings, CLI and reliability tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded fuzz run.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-deps.sh --tests
scripts/build.sh build -DBUILD_TESTING=ON
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)"

scripts/build.sh build-asan -DSHEETWRIGHT_SANITIZE=ON -DBUILD_TESTING=ON
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" \
    -R '^(engine|worker|settings|cli|reliability)_'

scripts/fuzz.sh
