#!/usr/bin/env bash
# Builds its picture program and writes the terrain preview's picture to docs/preview.png without
# a display: the demo terrain after Find Units, Set Elevation, Set Type, Set Sub-Types,
# Modify Terrain and Make Tracks, shown as the hill-shaded relief with tracks and objects.
# With --reference, docs/preview-reference.png: the same terrain given a theatre frame
# (tools/demo_reference/theatre.txt) with a few towns, a river and a park of
# tools/demo_reference/towns.geojson drawn over it.
#   bash scripts/screenshot-preview.sh [--reference] [--base types|sub-types] [--zoom ROW,COLUMN,SCALE]
set -euo pipefail
cd "$(dirname "$0")/.."
picture=docs/preview.png
extra=()
if [ "${1:-}" = "--reference" ]; then
  shift
  picture=docs/preview-reference.png
  extra=(--frame tools/demo_reference/theatre.txt --reference tools/demo_reference/towns.geojson)
fi
QUARNBY_TARGETS="quarnby-preview-screenshot quarnby-geo" bash scripts/build.sh >/dev/null
QT_QPA_PLATFORM=offscreen build/quarnby-preview-screenshot "${extra[@]}" "$@" "$picture"
echo "wrote $picture"
