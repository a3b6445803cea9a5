#!/usr/bin/env bash
# Builds the benchmarks with optimisation in build-bench/ and prints the table of every
# operation's time, its copy floor, the ratio and its peak memory (docs/performance.md).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARNBY_GUI=OFF -DQUARNBY_TESTS=OFF
cmake --build build-bench --parallel --target quarnby_bench quarnby-batch
python3 scripts/bench_report.py build-bench
