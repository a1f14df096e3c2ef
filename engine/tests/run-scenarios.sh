#!/bin/bash
# Runs each test of engine_scenarios.exe alone in a fresh Wine prefix: a copy
# of a template prefix made once per build folder. Tests named Win98* get a
# prefix that reports Windows 98. Only the servers of prefixes started here
# are stopped.
# Usage: run-scenarios.sh BUILD_DIR SCENARIOS_EXE [gtest filter]
set -u
BUILD="$(cd "$1" && pwd)"
EXE="$2"
FILTER="${3:-*}"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$ROOT/scripts/wine-env.sh"

BASE="$BUILD/engine-prefixes"
TEMPLATE="$BASE/template"
mkdir -p "$BASE"

started_xvfb=""
if [ -z "${DISPLAY:-}" ]; then
  d="$(_wine_env_free_display)"
  Xvfb ":$d" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  started_xvfb=$!
  export DISPLAY=":$d"
  sleep 1
fi
current=""
cleanup() {
  if [ -n "$current" ]; then WINEPREFIX="$current" wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$started_xvfb" ]; then kill "$started_xvfb" 2>/dev/null || true; fi
}
trap cleanup EXIT

wine_prefix_init "$TEMPLATE"

current="$TEMPLATE"
mapfile -t tests < <(WINEPREFIX="$TEMPLATE" "$WINE" "$EXE" --gtest_list_tests --gtest_filter="$FILTER" 2>/dev/null |
  tr -d '\r' | awk '/^[^ ]/ {suite=$1} /^  / {print suite $1}')
WINEPREFIX="$TEMPLATE" wineserver -k >/dev/null 2>&1 || true
WINEPREFIX="$TEMPLATE" wineserver -w >/dev/null 2>&1 || true
current=""

if [ ${#tests[@]} -eq 0 ]; then
  echo "no scenarios found in $EXE" >&2
  exit 1
fi

failed=()
for test in "${tests[@]}"; do
  prefix="$BASE/${test//[^A-Za-z0-9_.]/_}"
  rm -rf "$prefix"
  cp -a "$TEMPLATE" "$prefix"
  current="$prefix"
  export WINEPREFIX="$prefix"
  wineserver -p
  if [[ "$test" == Win98* ]]; then
    "$WINE" reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1
  fi
  echo "=== $test"
  if "$WINE" "$EXE" --gtest_color=no --gtest_filter="$test" </dev/null; then
    keep=""
  else
    failed+=("$test")
    keep=1
  fi
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  current=""
  # A failed scenario keeps its prefix for a look at what it left.
  [ -z "$keep" ] && rm -rf "$prefix"
done
unset WINEPREFIX

echo "${#tests[@]} scenarios, ${#failed[@]} failed"
for test in "${failed[@]}"; do echo "FAILED: $test"; done
[ ${#failed[@]} -eq 0 ]
