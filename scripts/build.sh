#!/usr/bin/env bash
# Configures and builds everything into build/ (build/quarnby, build/quarnby-batch, the tests).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build build --parallel
