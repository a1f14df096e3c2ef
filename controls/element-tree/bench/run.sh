#!/bin/bash
# Builds the tree items' benchmark (x86_64) and runs it under Wine.
# Usage: controls/element-tree/bench/run.sh [build-dir]   (default build/x64)
# Prints, for flat trees and trees ten levels deep of 10,000, 30,000 and
# 100,000 items, the whole-tree times, the per-call times and their growth.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
BUILD="${1:-$ROOT/build/x64}"
mkdir -p "$BUILD"
BUILD="$(cd "$BUILD" && pwd)"

cmake -S "$ROOT" -B "$BUILD" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DPROJECT_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" --target eltree_items_bench

unset WINEPREFIX
export WINE_BUILD_DIR="$BUILD"
echo "== eltree_items_bench, x86_64, under Wine, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
"$ROOT/scripts/wine-run.sh" "$BUILD/controls/element-tree/eltree_items_bench.exe"
