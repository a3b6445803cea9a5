#!/usr/bin/env bash
# Configures and builds everything into build/ (build/quarnby, build/quarnby-batch, the tests).
# With QUARNBY_TARGETS set, only those targets and what they need ("quarnby quarnby-batch").
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# A build/ configured in another place (the checkout was moved or copied) cannot be
# reused: CMake refuses it. Its build files are only a cache, so start it afresh.
if [ -f build/CMakeCache.txt ]; then
  configured=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' build/CMakeCache.txt)
  if [ -n "$configured" ] && [ "$configured" != "$PWD" ]; then
    echo "build/ was configured for $configured; configuring it afresh for $PWD" >&2
    rm -rf build
  fi
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
if [ -n "${QUARNBY_TARGETS:-}" ]; then
  # shellcheck disable=SC2086 # a list of target names
  cmake --build build --parallel --target $QUARNBY_TARGETS
else
  cmake --build build --parallel
fi
