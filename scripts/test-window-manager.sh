#!/usr/bin/env bash
# Runs the window's placement test under a real window manager: a 1366 x 768 Xvfb screen
# with openbox, whose title bars count toward what must lie on the screen.
#   bash scripts/test-window-manager.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh openbox
QUARNBY_TARGETS="window_frame_test" bash scripts/build.sh >/dev/null
display=":${QUARNBY_TEST_DISPLAY:-99}"
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp &
xvfb=$!
trap 'kill ${wm:-} $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY="$display" openbox &
wm=$!
sleep 1
DISPLAY="$display" QT_QPA_PLATFORM=xcb build/window_frame_test
