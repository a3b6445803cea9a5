#!/usr/bin/env bash
# Runs the demo pipeline with one quarnby-batch program, as a user would type it: the demo
# terrain, both imports, Set Type, Set Sub-Types, Modify Terrain, Make Tracks, the three
# maps and Export, each a run of its own in the folder DIR (settings DIR/quarnby.cfg).
#   bash scripts/demo-pipeline.sh DIR PROGRAM [ARG...]
# PROGRAM [ARG...] starts quarnby-batch, e.g. /usr/bin/quarnby-batch or
# wine64 /abs/build-windows/quarnby-batch.exe. Any step that fails stops the script.
set -euo pipefail
dir="$1"
shift
mkdir -p "$dir"
cd "$dir"
run() {
  echo "== quarnby-batch $*"
  "${program[@]}" "$@"
}
program=("$@")
run --demo .
run Demo find-units-terragen set-elevation-terragen
run Demo find-units-greyscale set-elevation-greyscale
run Demo set-type
run Demo set-sub-types
run --set Check1=1 --set Check3=1 Demo modify-terrain
run Demo make-tracks
run --set MapOp1=true Demo make-map
run --set MapOp2=true Demo make-map
run --set MapOp3=true Demo make-map
run --yes Demo export-greyscale
