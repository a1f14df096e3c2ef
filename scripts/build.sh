#!/bin/bash
# Configures and builds the tree. Usage: scripts/build.sh [x86_64|i686]...
#   x86_64: build/x64, everything including the test programs (runs under Wine here)
#   i686:   build/i686, the 32-bit programs the product ships, and their test
#           programs (run in an emulated machine by scripts/test-i686.sh)
# Without arguments both are built.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${JOBS:-$(nproc)}"
ARCHES=("$@")
[ ${#ARCHES[@]} -eq 0 ] && ARCHES=(x86_64 i686)

for arch in "${ARCHES[@]}"; do
  case "$arch" in
    x86_64) dir="${BUILD_DIR_X64:-$ROOT/build/x64}"; extra=() ;;
    # This machine cannot run the i686 tree's own rarpack.exe: archives are
    # packed at build time with the x86_64 tree's one, built first.
    i686)   dir="${BUILD_DIR_I686:-$ROOT/build/i686}"
            rarpack="${BUILD_DIR_X64:-$ROOT/build/x64}/tools/rarpack/rarpack.exe"
            [ -f "$rarpack" ] || echo "note: $rarpack is not built yet; build x86_64 first (or set BUILD_DIR_X64) for archives packed at build time" >&2
            extra=(-DRARPACK_EXECUTABLE="$rarpack") ;;
    *) echo "unknown architecture: $arch" >&2; exit 2 ;;
  esac
  # Configured every time: a module folder joins the build when it appears.
  cmake -S "$ROOT" -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
    -DPROJECT_BUILD_TESTS=ON "${extra[@]}" >/dev/null
  echo "== building $arch in ${dir#$ROOT/}"
  if [ -n "${BUILD_KEEP_GOING:-}" ]; then
    cmake --build "$dir" -j "$JOBS" -- -k 0
  else
    cmake --build "$dir" -j "$JOBS"
  fi
done
