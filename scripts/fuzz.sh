#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer in build-fuzz/ and runs each on its seed
# corpus (fuzz/corpus/<target>) for SECONDS seconds (default 20). Any crash fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
bash scripts/install-deps.sh
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Install clang and libFuzzer with: sudo apt-get install -y clang libclang-rt-dev" >&2
    exit 1
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clang libclang-rt-dev
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DQUARNBY_FUZZ=ON -DQUARNBY_GUI=OFF -DQUARNBY_TESTS=OFF -DQUARNBY_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
cmake --build build-fuzz --parallel
for target in build-fuzz/*_fuzz; do
  name=$(basename "$target" _fuzz)
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$name/." "$work/"
  echo "== $name: ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=1024 -print_final_stats=0 "$work" 2>&1 | tail -3
  rm -rf "$work"
done
