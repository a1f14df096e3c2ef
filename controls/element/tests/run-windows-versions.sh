#!/bin/bash
# Runs the operating-system flag tests of element_tests.exe once per Windows
# version, in a throwaway Wine prefix of its own whose reported version is
# switched between the runs.
# Usage: run-windows-versions.sh <element_tests.exe> <prefix-dir> <version>...
set -euo pipefail
EXE="$1"; PREFIX="$2"; shift 2
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
. "$ROOT/scripts/wine-env.sh"
unset WINEPREFIX
wine_env_start "$PREFIX"
trap wine_env_stop EXIT
status=0
for version in "$@"; do
  "$WINE" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
  echo "== Windows version $version"
  EL_EXPECTED_WINDOWS="$version" "$WINE" "$EXE" --gtest_color=no \
    --gtest_filter='ElToolsFlags.*:ElUxThemeVersions.*' || status=1
done
exit $status
