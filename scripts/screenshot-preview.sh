#!/usr/bin/env bash
# Builds its picture program and writes the terrain preview's picture to docs/preview.png without
# a display: the demo terrain after Find Units, Set Elevation, Set Type, Set Sub-Types,
# Modify Terrain and Make Tracks, shown as the hill-shaded relief with tracks and objects.
#   bash scripts/screenshot-preview.sh [--base types|sub-types] [--zoom ROW,COLUMN,SCALE]
set -euo pipefail
cd "$(dirname "$0")/.."
QUARNBY_TARGETS="quarnby-preview-screenshot" bash scripts/build.sh >/dev/null
QT_QPA_PLATFORM=offscreen build/quarnby-preview-screenshot "$@" docs/preview.png
echo "wrote docs/preview.png"
