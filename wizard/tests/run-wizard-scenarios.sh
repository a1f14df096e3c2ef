#!/bin/bash
# Runs each test of wizard_scenarios.exe alone in a fresh Wine prefix (see
# scripts/scenario-runner.sh) on an Xvfb display of its own, so that wizards
# running side by side never cover each other's windows or take each other's
# focus. SCENARIO_JOBS scenarios (default 3) run at once. Before the first
# scenario it packs, once per build folder, the large payload the cancel
# scenarios need (wizard/scenario-payloads/large.z).
# Usage: run-wizard-scenarios.sh BUILD_DIR SCENARIOS_EXE [gtest filter]
# Without a filter argument, WIZARD_SCENARIOS_FILTER (default all) chooses.
set -u
BUILD="$(cd "$1" && pwd)"
EXE="$2"
FILTER="${3:-${WIZARD_SCENARIOS_FILTER:-*}}"
JOBS="${SCENARIO_JOBS:-3}"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BASE="$BUILD/wizard-prefixes"
PAYLOADS="$BUILD/wizard/scenario-payloads"
mkdir -p "$PAYLOADS"
. "$ROOT/scripts/wine-env.sh"
. "$ROOT/scripts/scenario-runner.sh"

scenario_prepare() {
  # 8,000 files of 4 KiB and one of 32 MiB: each file costs the install its
  # creation and its record, so the extraction runs for seconds even on a fast
  # disk, and a cancel at the bar's first move lands inside it.
  local LARGE="$PAYLOADS/large.z" LARGE_STAMP="$PAYLOADS/large.v2"
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
}

scenario_enter() {
  unset DISPLAY
  wine_env_display
}

scenario_leave() {
  wine_env_stop
}

# The template and the packing need a display only for Wine's start-up; the
# scenarios get their own.
unset DISPLAY
scenario_main
