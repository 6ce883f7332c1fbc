#!/usr/bin/env bash
# Sets up a Debian 12 machine (as root), builds the release preset and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-debian.sh
export QT_QPA_PLATFORM=offscreen
cmake --preset release
cmake --build --preset release -j"$(nproc)"
ctest --preset release -j"$(nproc)"
