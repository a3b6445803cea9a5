#!/usr/bin/env bash
# Measures how long the window takes to appear: from the process's start until the window
# is on the screen and painted, on the demo terrain, RUNS times (default 15) on one X
# server (Xvfb), and prints every time and the median in ms. The goal is 300 ms.
#   bash scripts/bench-startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-15}"
bash scripts/build.sh >/dev/null
demo="$PWD/build/demo"
[ -f "$demo/Demo/Demo.oba" ] || ./build/quarnby-batch --demo "$demo" >/dev/null
cd "$demo"
export RUNS="$runs" DEMO="$demo"
xvfb-run -a -s "-screen 0 1366x768x24" bash -c '
  times=()
  for i in $(seq "$RUNS"); do times+=("$(../quarnby-startup-time "$DEMO/Demo" 2>/dev/null)"); done
  echo "window on the screen after (ms): ${times[*]}"
  printf "%s\n" "${times[@]}" | sort -n | awk "{ t[NR] = \$1 } END { print \"median: \" t[int((NR + 1) / 2)] \" ms\" }"
'
