#!/usr/bin/env bash
# Configures and builds the project into build/ (binaries in build/bin).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVZ_WERROR=ON >/dev/null
cmake --build build
