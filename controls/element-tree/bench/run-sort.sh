#!/bin/bash
# Builds the sort's benchmark (x86_64) and runs it under Wine.
# Usage: controls/element-tree/bench/run-sort.sh [build-dir] [rounds]   (default build/x64, 3)
# Prints, for 12,500 to 100,000 top-level items sorted by text, number and
# date from shuffled, sorted and reversed orders, the tree's time and the
# system tree view's (TVM_SORTCHILDRENCB on the same keys), each also as
# time / (n log2 n).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
BUILD="${1:-$ROOT/build/x64}"
mkdir -p "$BUILD"
BUILD="$(cd "$BUILD" && pwd)"

cmake -S "$ROOT" -B "$BUILD" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DPROJECT_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" --target eltree_sort_bench

unset WINEPREFIX
export WINE_BUILD_DIR="$BUILD"
echo "== eltree_sort_bench, x86_64, under Wine, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
"$ROOT/scripts/wine-run.sh" "$BUILD/controls/element-tree/eltree_sort_bench.exe" "${2:-3}"
