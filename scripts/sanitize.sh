#!/usr/bin/env bash
# Builds the core and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-sanitize/ and runs them; any report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUARNBY_GUI=OFF -DQUARNBY_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O1"
cmake --build build-sanitize --parallel --target quarnby_tests quarnby-batch
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ./build-sanitize/quarnby_tests --gtest_brief=1
