#!/bin/bash
# Developer loop: builds the x86_64 tree in the given build folder (default
# build/x64) and runs ctest there under Wine, without the machine set-up.
# Usage: scripts/dev-test.sh [build-dir] [ctest arguments...]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build/x64}"; shift || true
# Keep going past a failing target (someone else's work in progress), then
# test whatever was built; ctest reports the programs that could not be.
BUILD_DIR_X64="$BUILD" BUILD_KEEP_GOING=1 "$ROOT/scripts/build.sh" x86_64 || echo "dev-test: some targets failed to build" >&2
. "$ROOT/scripts/wine-env.sh"
wine_env_start "$BUILD/wineprefix"
trap wine_env_stop EXIT
wine_env_desktop
ctest --test-dir "$BUILD" --output-on-failure "$@"
