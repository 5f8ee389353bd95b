#!/usr/bin/env bash
# Builds Kovra (Release) and runs it with the given arguments, e.g. scripts/run.sh --dump
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset release -DKOVRA_TESTS=OFF -DKOVRA_BENCH=OFF >/dev/null
cmake --build build/release --target kovra >/dev/null
exec build/release/src/kovra "$@"
