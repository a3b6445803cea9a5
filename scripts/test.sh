#!/usr/bin/env bash
# Builds everything and runs every test; fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure --parallel 2
