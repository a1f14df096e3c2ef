#!/bin/bash
# Runs each test of engine_scenarios.exe alone in a fresh Wine prefix: a copy
# of a template prefix made once per build folder. Tests named Win98* get a
# prefix that reports Windows 98. SCENARIO_JOBS scenarios (default 1) run at
# once, each in its own prefix with its own server; their outputs follow in
# order. Only the servers of prefixes started here are stopped.
# Another run of the same build may go on at the same time (the whole test
# run, and a scenario repeated beside it): each run keeps its prefixes in a
# folder of its own, and the shared template is made under a lock and
# copied under a shared one.
# Usage: run-scenarios.sh BUILD_DIR SCENARIOS_EXE [gtest filter]
set -u
BUILD="$(cd "$1" && pwd)"
EXE="$2"
FILTER="${3:-*}"
JOBS="${SCENARIO_JOBS:-1}"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$ROOT/scripts/wine-env.sh"

BASE="$BUILD/engine-prefixes"
TEMPLATE="$BASE/template"
TEMPLATE_LOCK="$BASE/template.lock"
mkdir -p "$BASE"

# This run's folder, locked while the run lives. The folders of earlier
# runs, kept for their failed scenarios, go once no run holds them.
for old in "$BASE"/run.*/; do
  [ -d "$old" ] && flock -n "$old/.lock" rm -rf "$old"
done
RUN_DIR="$(mktemp -d "$BASE/run.XXXXXX")"
exec 8>"$RUN_DIR/.lock"
flock 8

prefix_of() { echo "$RUN_DIR/${1//[^A-Za-z0-9_.]/_}"; }

cleanup() {
  local prefix
  for prefix in "$RUN_DIR"/*/; do
    [ -f "${prefix%/}/system.reg" ] && WINEPREFIX="${prefix%/}" wineserver -k >/dev/null 2>&1
  done
  wine_env_stop
  # Nothing failed: nothing to look at.
  [ -n "$(ls -A "$RUN_DIR" | grep -v '^\.lock$')" ] || rm -rf "$RUN_DIR"
}
trap cleanup EXIT
wine_env_display

# The template is made, and its tests listed, by one run at a time.
exec 7>"$TEMPLATE_LOCK"
flock 7
wine_prefix_init "$TEMPLATE"
mapfile -t tests < <(WINEPREFIX="$TEMPLATE" "$WINE" "$EXE" --gtest_list_tests --gtest_filter="$FILTER" 2>/dev/null |
  tr -d '\r' | awk '/^[^ ]/ {suite=$1} /^  / {print suite $1}')
WINEPREFIX="$TEMPLATE" wineserver -k >/dev/null 2>&1 || true
WINEPREFIX="$TEMPLATE" wineserver -w >/dev/null 2>&1 || true
flock -u 7

if [ ${#tests[@]} -eq 0 ]; then
  echo "no scenarios found in $EXE" >&2
  exit 1
fi

# One scenario in its own fresh prefix; its output goes to <prefix>.log and
# its result to <prefix>.status. A failed scenario keeps its prefix for a
# look at what it left.
run_scenario() {
  local test="$1" prefix rc
  prefix="$(prefix_of "$test")"
  rm -rf "$prefix"
  flock -s "$TEMPLATE_LOCK" cp -a "$TEMPLATE" "$prefix"
  export WINEPREFIX="$prefix"
  wineserver -p
  if [[ "$test" == Win98* ]]; then
    "$WINE" reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1
  fi
  "$WINE" "$EXE" --gtest_color=no --gtest_filter="$test" </dev/null
  rc=$?
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  [ $rc -eq 0 ] && rm -rf "$prefix"
  echo $rc >"$prefix.status"
}

# Waits until fewer than JOBS scenarios run (the Xvfb started above is a
# child of this shell too, so no bare "wait").
running=()
wait_for_slot() {
  local alive=() pid
  while :; do
    alive=()
    for pid in "${running[@]}"; do kill -0 "$pid" 2>/dev/null && alive+=("$pid"); done
    running=("${alive[@]}")
    [ ${#running[@]} -lt "$1" ] && return 0
    wait -n "${running[@]}"
  done
}
for test in "${tests[@]}"; do
  wait_for_slot "$JOBS"
  rm -f "$(prefix_of "$test").status"
  run_scenario "$test" >"$(prefix_of "$test").log" 2>&1 &
  running+=($!)
done
wait_for_slot 1

failed=()
for test in "${tests[@]}"; do
  echo "=== $test"
  cat "$(prefix_of "$test").log"
  [ "$(cat "$(prefix_of "$test").status" 2>/dev/null)" = 0 ] || failed+=("$test")
  rm -f "$(prefix_of "$test").log" "$(prefix_of "$test").status"
done

echo "${#tests[@]} scenarios, ${#failed[@]} failed"
for test in "${failed[@]}"; do echo "FAILED: $test"; done
[ ${#failed[@]} -eq 0 ]
