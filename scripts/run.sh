#!/usr/bin/env bash
# Builds everything and opens the window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec ./build/quarnby "$@"
