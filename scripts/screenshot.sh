#!/usr/bin/env bash
# Builds the window and writes its picture to docs/window.png, the Import DEM dialog's
# to docs/dem-dialog.png and the Import Land Cover dialog's to docs/land-cover-dialog.png,
# with the preview's types before and after that import (docs/land-cover-before.png,
# docs/land-cover-after.png; in a build with GDAL), without a display.
#   bash scripts/screenshot.sh [FOLDER]
# FOLDER is the terrain folder the window shows (default: an empty folder named Europe);
# start-up runs in an empty working folder, so every parameter has its start-up value.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
QUARNBY_TARGETS="quarnby-screenshot" bash scripts/build.sh >/dev/null
# The dialog's picture program is there only in a build with GDAL.
cmake --build build --target quarnby-dem-dialog-screenshot >/dev/null 2>&1 || true
cmake --build build --target quarnby-land-cover-screenshot >/dev/null 2>&1 || true

scratch="${TMPDIR:-/tmp}/quarnby-screenshot"
rm -rf "$scratch"
mkdir -p "$scratch/work" "$scratch/Terrains/Europe"
trap 'rm -rf "$scratch"' EXIT
folder="${1:-$scratch/Terrains/Europe}"
folder="$(cd "$folder" && pwd)"

# A 1366 x 768 screen, the smallest the window is laid out for.
cat > "$scratch/screen.json" <<'JSON'
{"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768, "logicalDpi": 96}]}
JSON
cd "$scratch/work"
QT_QPA_PLATFORM="offscreen:configfile=$scratch/screen.json" "$top/build/quarnby-screenshot" "$folder" "$top/docs/window.png"
echo "wrote docs/window.png"
if [ -x "$top/build/quarnby-dem-dialog-screenshot" ]; then
  QT_QPA_PLATFORM="offscreen:configfile=$scratch/screen.json" "$top/build/quarnby-dem-dialog-screenshot" \
    "$top/docs/dem-dialog.png"
  echo "wrote docs/dem-dialog.png"
fi
if [ -x "$top/build/quarnby-land-cover-screenshot" ]; then
  QT_QPA_PLATFORM="offscreen:configfile=$scratch/screen.json" "$top/build/quarnby-land-cover-screenshot" \
    "$top/docs/land-cover-dialog.png" "$top/docs/land-cover-before.png" "$top/docs/land-cover-after.png" >/dev/null
  echo "wrote docs/land-cover-dialog.png, docs/land-cover-before.png, docs/land-cover-after.png"
fi
