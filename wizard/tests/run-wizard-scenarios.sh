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
. "$ROOT/wizard/tests/large-payload.sh"

scenario_prepare() {
  large_payload_make "$PAYLOADS" "$WINE" "$BUILD/tools/rarpack/rarpack.exe"
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
