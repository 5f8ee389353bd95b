#!/usr/bin/env bash
# Builds Kovra (Release, without tests and benchmarks) and its Debian package:
# build/package/kovra_<version>_<arch>.deb. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset release -DKOVRA_TESTS=OFF -DKOVRA_BENCH=OFF >/dev/null
cmake --build build/release >/dev/null
rm -f build/package/kovra_*.deb
(cd build/release && cpack -G DEB -B "$PWD/../package" >/dev/null)
ls build/package/kovra_*.deb
