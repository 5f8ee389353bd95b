#!/usr/bin/env bash
# Builds everything (warnings as errors) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export KOVRA_LOG=stderr  # test logs next to the test output, not in the journal
cmake --preset debug -DKOVRA_WERROR=ON >/dev/null
cmake --build build/debug
ctest --test-dir build/debug --output-on-failure -j "$(nproc)"
