#!/bin/bash
# Runs each test of engine_scenarios.exe alone in a fresh Wine prefix (see
# scripts/scenario-runner.sh). Tests named Win98* get a prefix that reports
# Windows 98. SCENARIO_JOBS scenarios (default 1) run at once.
# Usage: run-scenarios.sh BUILD_DIR SCENARIOS_EXE [gtest filter]
set -u
BUILD="$(cd "$1" && pwd)"
EXE="$2"
FILTER="${3:-*}"
JOBS="${SCENARIO_JOBS:-1}"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BASE="$BUILD/engine-prefixes"
. "$ROOT/scripts/wine-env.sh"
. "$ROOT/scripts/scenario-runner.sh"

scenario_enter() {
  if [[ "$1" == Win98* ]]; then
    "$WINE" reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1
  fi
}

scenario_main
