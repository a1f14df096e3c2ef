#!/bin/bash
# Runs one Windows program under Wine (the build's cross-compiling emulator).
# Inside a test or main-job run the environment is already set; run alone,
# it sets up and tears down its own.
set -u
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$HERE/wine-env.sh"
if [ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ]; then
  exec "$WINE" "$@"
fi
wine_env_start
trap wine_env_stop EXIT
"$WINE" "$@"
