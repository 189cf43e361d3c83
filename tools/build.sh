#!/usr/bin/env bash
# Configures and builds the normal tree in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNADELWERK_GUI=ON >/dev/null
cmake --build build
