#!/usr/bin/env bash
# Builds the window and quarnby-batch (not the tests), writes the demo terrain under
# build/demo once, and opens the window on it. The window's working folder is build/demo,
# where the demo's quarnby.cfg lies.
set -euo pipefail
cd "$(dirname "$0")/.."
QUARNBY_TARGETS="quarnby quarnby-batch" bash scripts/build.sh
demo="$PWD/build/demo"
if [ ! -f "$demo/Demo/Demo.oba" ]; then
  ./build/quarnby-batch --demo "$demo"
fi
cd "$demo"
exec ../quarnby "$demo/Demo" "$@"
