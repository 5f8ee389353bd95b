#!/usr/bin/env bash
# Builds Kovra (Release, without tests and benchmarks) and its Debian package:
# build/package/kovra_<version>_<arch>.deb. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset release -DKOVRA_TESTS=OFF -DKOVRA_BENCH=OFF >/dev/null
log=build/release/package-build.log
cmake --build build/release >"$log" 2>&1 || { tail -60 "$log" >&2; exit 1; }
rm -f build/package/kovra_*.deb
(cd build/release && cpack -G DEB -B "$PWD/../package" >>package-build.log 2>&1) || { tail -30 "$log" >&2; exit 1; }
ls build/package/kovra_*.deb
