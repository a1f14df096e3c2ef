#!/bin/bash
# Builds the HTML renderer's benchmark (x86_64) and runs it under Wine.
# Usage: controls/element/bench/run.sh [--runs N] [build-dir]
#   build-dir defaults to build/x64; N (median of N runs) to 7.
# Prints, for two widths, the prepare (parse, wrap, layout) and draw times of
# texts of 5,000, 10,000 and 20,000 characters and how they grow.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
RUNS=7
if [ "${1:-}" = "--runs" ]; then RUNS="$2"; shift 2; fi
BUILD="${1:-$ROOT/build/x64}"
mkdir -p "$BUILD"
BUILD="$(cd "$BUILD" && pwd)"

cmake -S "$ROOT" -B "$BUILD" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DPROJECT_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" --target htmlbench

unset WINEPREFIX
export WINE_BUILD_DIR="$BUILD"
echo "== htmlbench, x86_64, under Wine, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
"$ROOT/scripts/wine-run.sh" "$BUILD/controls/element/htmlbench.exe" --runs "$RUNS"
