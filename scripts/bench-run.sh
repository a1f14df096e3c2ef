#!/bin/bash
# Builds one benchmark program of the x86_64 tree and runs it under Wine.
# Usage: scripts/bench-run.sh BUILD-DIR TARGET PROGRAM [program arguments...]
#   BUILD-DIR: the x86_64 build folder (made if missing);
#   TARGET: the CMake target; PROGRAM: the program's path inside BUILD-DIR.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$1"; TARGET="$2"; PROGRAM="$3"; shift 3
mkdir -p "$BUILD"
BUILD="$(cd "$BUILD" && pwd)"

cmake -S "$ROOT" -B "$BUILD" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DPROJECT_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" --target "$TARGET"

unset WINEPREFIX
export WINE_BUILD_DIR="$BUILD"
echo "== $TARGET, x86_64, under Wine, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
"$ROOT/scripts/wine-run.sh" "$BUILD/$PROGRAM" "$@"
