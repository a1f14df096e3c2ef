#!/bin/bash
# The main job: sets up the machine, builds everything, and runs the program
# under Wine. Until the setup wizard exists, the program run is the platform
# check (build/x64/tests/platform_tests.exe), which prints the facts the
# project stands on.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh"
BUILD="$ROOT/build/x64"
. "$ROOT/scripts/wine-env.sh"
wine_env_start "$BUILD/wineprefix"
trap wine_env_stop EXIT
"$WINE" "$BUILD/tests/platform_tests.exe" "$@"
