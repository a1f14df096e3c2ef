#!/bin/bash
# Runs each test of wizard_scenarios.exe alone in a fresh Wine prefix (a copy
# of a template prefix made once per build folder) on an Xvfb display of its
# own, so that wizards running side by side never cover each other's windows
# or take each other's focus. SCENARIO_JOBS scenarios (default 3) run at once;
# their outputs follow in order. Only the servers and displays started here
# are stopped. Before the first scenario it packs, once per build folder, the
# large payload the cancel scenarios need (wizard/scenario-payloads/large.z).
# Usage: run-wizard-scenarios.sh BUILD_DIR SCENARIOS_EXE [gtest filter]
set -u
BUILD="$(cd "$1" && pwd)"
EXE="$2"
FILTER="${3:-*}"
JOBS="${SCENARIO_JOBS:-3}"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$ROOT/scripts/wine-env.sh"

BASE="$BUILD/wizard-prefixes"
TEMPLATE="$BASE/template"
PAYLOADS="$BUILD/wizard/scenario-payloads"
mkdir -p "$BASE" "$PAYLOADS"

prefix_of() { echo "$BASE/${1//[^A-Za-z0-9_.]/_}"; }

cleanup() {
  local prefix
  for prefix in "$TEMPLATE" "$BASE"/*/; do
    [ -f "${prefix%/}/system.reg" ] && WINEPREFIX="${prefix%/}" wineserver -k >/dev/null 2>&1
  done
  wine_env_stop
}
trap cleanup EXIT
# The template and the packing need a display only for Wine's start-up; the
# scenarios get their own.
unset DISPLAY
wine_env_display
wine_prefix_init "$TEMPLATE"

# 8,000 files of 4 KiB and one of 32 MiB: each file costs the install its
# creation and its record, so the extraction runs for seconds even on a fast
# disk, and a cancel at the bar's first move lands inside it.
LARGE="$PAYLOADS/large.z"
LARGE_STAMP="$PAYLOADS/large.v2"
if [ ! -f "$LARGE" ] || [ ! -f "$LARGE_STAMP" ]; then
  rm -rf "$PAYLOADS/large-tree" "$PAYLOADS"/large.*
  python3 - "$PAYLOADS/large-tree" <<'PY'
import os, random, sys
out = sys.argv[1]
rng = random.Random(8000)
for i in range(8000):
    folder = os.path.join(out, "Storage", f"group{i // 200:02d}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"file{i:05d}.dat"), "wb") as f:
        f.write(rng.randbytes(4096))
with open(os.path.join(out, "Storage", "large.bin"), "wb") as f:
    f.write(rng.randbytes(32 * 1024 * 1024))
with open(os.path.join(out, "kv4.exe"), "wb") as f:
    f.write(rng.randbytes(70000))
PY
  WINEPREFIX="$TEMPLATE" "$WINE" "$BUILD/tools/rarpack/rarpack.exe" -p tulbek \
    "Z:$LARGE" "Z:$PAYLOADS/large-tree" >/dev/null 2>&1 && touch "$LARGE_STAMP"
  rm -rf "$PAYLOADS/large-tree"
fi

mapfile -t tests < <(WINEPREFIX="$TEMPLATE" "$WINE" "$EXE" --gtest_list_tests --gtest_filter="$FILTER" 2>/dev/null |
  tr -d '\r' | awk '/^[^ ]/ {suite=$1} /^  / {print suite $1}')
WINEPREFIX="$TEMPLATE" wineserver -k >/dev/null 2>&1 || true
WINEPREFIX="$TEMPLATE" wineserver -w >/dev/null 2>&1 || true
wine_env_stop

if [ ${#tests[@]} -eq 0 ]; then
  echo "no scenarios found in $EXE" >&2
  exit 1
fi

# One scenario in its own fresh prefix and display; its output goes to
# <prefix>.log and its result to <prefix>.status. A failed scenario keeps
# its prefix for a look at what it left.
run_scenario() {
  local test="$1" prefix rc
  prefix="$(prefix_of "$test")"
  rm -rf "$prefix"
  cp -a "$TEMPLATE" "$prefix"
  unset DISPLAY
  wine_env_display
  export WINEPREFIX="$prefix"
  wineserver -p
  "$WINE" "$EXE" --gtest_color=no --gtest_filter="$test" </dev/null
  rc=$?
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wine_env_stop
  [ $rc -eq 0 ] && rm -rf "$prefix"
  echo $rc >"$prefix.status"
}

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
