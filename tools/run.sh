#!/usr/bin/env bash
# Sets up a Debian 12 machine (as root), builds the release preset and runs the main job:
# the theoretical model of the reference farm for a west wind, then the benchmarks of the wake grid.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-debian.sh
cmake --preset release
cmake --build --preset release -j"$(nproc)"
build/release/src/cli/aurvend-cli mt simular --pmt bench/data/c1_parque_mt.pmt --dir 270 --v 9
