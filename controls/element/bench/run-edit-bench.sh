#!/bin/bash
# Builds the edit model's benchmark (x86_64) and runs it under Wine.
# Usage: controls/element/bench/run-edit-bench.sh [build-dir]
#   build-dir defaults to build/x64.
# Prints load, re-wrap, scroll, typing and undo times for 0.5 to 2 MiB of
# Russian text and how load and re-wrap grow.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
BUILD="${1:-$ROOT/build/x64}"
mkdir -p "$BUILD"
BUILD="$(cd "$BUILD" && pwd)"

cmake -S "$ROOT" -B "$BUILD" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DPROJECT_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" --target eledit_bench

unset WINEPREFIX
export WINE_BUILD_DIR="$BUILD"
echo "== eledit_bench, x86_64, under Wine, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
"$ROOT/scripts/wine-run.sh" "$BUILD/controls/element/eledit_bench.exe"
