#!/usr/bin/env bash
# Checks that the C++ sources follow .clang-format; prints what would change and fails if
# anything would. Run from anywhere: bash scripts/check-format.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh clang-format
git ls-files -z 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h' \
    'tools/*.cpp' 'tools/*.h' | xargs -0 clang-format --dry-run -Werror
