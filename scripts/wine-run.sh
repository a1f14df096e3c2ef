#!/bin/bash
# Runs one Windows program under Wine (the build's cross-compiling emulator).
# Inside a test or main-job run the environment is already set; run alone,
# it sets up and tears down its own.
set -u
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$HERE/wine-env.sh"

# The first program of a prefix that needs the desktop starts Wine's desktop
# process, which inherits the program's output and holds it open until the
# last window of the prefix is gone: whoever reads that output (CTest) would
# wait for every other program. So the program writes into a file, shown as
# it grows, and the run ends when the program does.
run_program() {
  local log pid status
  log="$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")"
  "$WINE" "$@" <&0 >"$log" 2>&1 &
  pid=$!
  tail -n +1 -s 0.2 -f --pid="$pid" "$log"
  wait "$pid"
  status=$?
  rm -f "$log"
  return $status
}

if [ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ]; then
  # A program that uses the desktop goes to the run's desktop prefix, when
  # the run has one (wine_env_desktop).
  if [ "${WINE_RUN_DESKTOP:-}" = 1 ] && [ -n "${WINE_DESKTOP_PREFIX:-}" ]; then
    export WINEPREFIX="$WINE_DESKTOP_PREFIX"
  fi
  run_program "$@"
  exit
fi
wine_env_start
trap wine_env_stop EXIT
run_program "$@"
