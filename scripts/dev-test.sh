#!/bin/bash
# Developer loop: builds the x86_64 tree in the given build folder (default
# build/x64) and runs ctest there under Wine, without the machine set-up.
# Usage: scripts/dev-test.sh [build-dir] [ctest arguments...]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build/x64}"; shift || true
BUILD_DIR_X64="$BUILD" "$ROOT/scripts/build.sh" x86_64
. "$ROOT/scripts/wine-env.sh"
wine_env_start "$BUILD/wineprefix"
trap wine_env_stop EXIT
ctest --test-dir "$BUILD" --output-on-failure "$@"
