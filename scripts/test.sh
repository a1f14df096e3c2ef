#!/bin/bash
# Sets up the machine, builds, and runs every test program under Wine with Xvfb.
# Extra arguments go to ctest (for example: -R engine_tests).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh"

BUILD="${BUILD_DIR_X64:-$ROOT/build/x64}"
. "$ROOT/scripts/wine-env.sh"
wine_env_start "$BUILD/wineprefix"
trap wine_env_stop EXIT
wine_env_desktop
set +e
ctest --test-dir "$BUILD" -j "$(nproc)" --output-on-failure "$@"
rc=$?
exit $rc
