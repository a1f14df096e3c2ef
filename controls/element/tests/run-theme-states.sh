#!/bin/bash
# Runs the theme tests of element_tests.exe in a Wine prefix of their own,
# once with Wine's light visual style switched off and once with it on (the
# ThemeManager values of the current user; a program reads them when it
# starts).
# Usage: run-theme-states.sh <element_tests.exe> <prefix-dir>
set -euo pipefail
EXE="$1"; PREFIX="$2"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
. "$ROOT/scripts/wine-env.sh"
unset WINEPREFIX
wine_env_start "$PREFIX"
trap wine_env_stop EXIT
key='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
"$WINE" reg add "$key" /v DllName /d 'C:\windows\resources\themes\light\light.msstyles' /f >/dev/null 2>&1
"$WINE" reg add "$key" /v ColorName /d Blue /f >/dev/null 2>&1
"$WINE" reg add "$key" /v SizeName /d NormalSize /f >/dev/null 2>&1
status=0
for active in 0 1; do
  "$WINE" reg add "$key" /v ThemeActive /d "$active" /f >/dev/null 2>&1
  echo "== visual style active: $active"
  EL_EXPECT_THEME=$active "$WINE" "$EXE" --gtest_color=no \
    --gtest_filter="*NoStyle.*:*ActiveStyle.*" || status=1
done
exit $status
