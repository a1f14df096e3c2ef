#!/bin/bash
# Builds the tree's paint benchmark (x86_64) and runs it under Wine on Xvfb.
# Usage: controls/element-tree/bench/run-paint.sh [build-dir]   (default build/x64)
# Prints, for 100,000 items in the tree and in the system's tree view, the
# median times of the fill, expanding all, paging to the end with each page
# painted and one screen painted, with their ratios.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
BUILD="${1:-$ROOT/build/x64}"
mkdir -p "$BUILD"
BUILD="$(cd "$BUILD" && pwd)"

cmake -S "$ROOT" -B "$BUILD" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DPROJECT_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" --target eltree_paint_bench

unset WINEPREFIX
export WINE_BUILD_DIR="$BUILD"
echo "== eltree_paint_bench, x86_64, under Wine, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
"$ROOT/scripts/wine-run.sh" "$BUILD/controls/element-tree/eltree_paint_bench.exe"
