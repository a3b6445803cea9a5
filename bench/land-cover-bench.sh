#!/usr/bin/env bash
# Import Land Cover against gdalwarp -r mode of the same mosaic onto the same type grid
# (docs/performance.md): built and run as the DEM benchmark is, with the arguments of
# bench/land_cover_bench.py (--metres, --tiles, --tile-size, --runs, --keep).
set -euo pipefail
QUARNBY_GDAL_BENCH=land_cover_bench.py exec bash "$(dirname "$0")/dem-import-bench.sh" "$@"
