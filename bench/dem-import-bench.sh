#!/usr/bin/env bash
# Import DEM against gdalwarp of the same tiles onto the same grid (docs/performance.md).
# Builds quarnby-batch with optimisation in build-bench/, installs Debian's gdal-bin for
# gdalwarp (this script only), then runs bench/dem_import_bench.py with the arguments given,
# or the benchmark QUARNBY_GDAL_BENCH names (bench/land-cover-bench.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh gdal-bin
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARNBY_GUI=OFF -DQUARNBY_TESTS=OFF \
      -DQUARNBY_BENCH=OFF
cmake --build build-bench --parallel --target quarnby-batch
python3 "bench/${QUARNBY_GDAL_BENCH:-dem_import_bench.py}" build-bench/quarnby-batch "$@"
