#!/usr/bin/env bash
# Import Land Cover against gdalwarp -r mode of the same mosaic onto the same type grid
# (docs/performance.md). Builds quarnby-batch with optimisation in build-bench/, installs
# Debian's gdal-bin for gdalwarp, gdal_translate and gdalbuildvrt (this script only), then
# runs bench/land_cover_bench.py with the arguments given (--metres, --tiles, --tile-size, --runs).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh gdal-bin
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARNBY_GUI=OFF -DQUARNBY_TESTS=OFF \
      -DQUARNBY_BENCH=OFF
cmake --build build-bench --parallel --target quarnby-batch
python3 bench/land_cover_bench.py build-bench/quarnby-batch "$@"
