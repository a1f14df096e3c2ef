#!/bin/bash
# Builds the PNG benchmark (x86_64) and its files, then runs it under Wine.
# Usage: tools/pngbench/run.sh [--runs N] [build-dir]
#   build-dir defaults to build/x64-pngbench; N (best of N runs) to 10.
# Needs libpng and libspng from scripts/setup.sh. Prints: file, size, our ms,
# libpng's and libspng's, and our ratios to each; exits non-zero when the
# decoders give different pixels.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
RUNS=10
if [ "${1:-}" = "--runs" ]; then RUNS="$2"; shift 2; fi
BUILD="${1:-$ROOT/build/x64-pngbench}"
mkdir -p "$BUILD"
BUILD="$(cd "$BUILD" && pwd)"

for lib in libpng/lib/libpng16.a libspng/lib/libspng.a; do
  if [ ! -f "$ROOT/build/deps/x86_64/$lib" ]; then
    echo "run.sh: $lib is not built; run scripts/setup.sh first" >&2
    exit 2
  fi
done
cmake -S "$ROOT" -B "$BUILD" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DPROJECT_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" --target pngbench pngbench_images

# A Wine prefix of this build folder's own, started and stopped here.
unset WINEPREFIX DISPLAY
export WINE_BUILD_DIR="$BUILD"
echo "== pngbench, x86_64, under Wine, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
"$ROOT/scripts/wine-run.sh" "$BUILD/tools/pngbench/pngbench.exe" --runs "$RUNS" \
  "Z:$BUILD/tools/pngbench/images"
