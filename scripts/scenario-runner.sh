# The scenario runners' shared part, sourced by them after wine-env.sh: each
# test of a scenario program runs alone in a fresh Wine prefix, a copy of a
# template prefix made once per build folder; JOBS scenarios run at once, each
# with its own server; their outputs follow in order. Only the servers of
# prefixes started here are stopped.
# Another run of the same build may go on at the same time (the whole test
# run, and a scenario repeated beside it): each run keeps its prefixes in a
# folder of its own, and the shared template is made under a lock and copied
# under a shared one. A failed scenario keeps its prefix for a look at what
# it left; a run's folder goes once no run holds it.
#
# The caller sets BUILD, EXE, FILTER, JOBS and BASE (the folder of the runs'
# folders), may define scenario_prepare (run under the template lock once the
# template exists, with WINEPREFIX set to it), scenario_enter TEST (in the
# fresh prefix before its test, WINEPREFIX exported) and scenario_leave (after
# it), then calls scenario_main.

TEMPLATE="$BASE/template"
TEMPLATE_LOCK="$BASE/template.lock"

scenario_prepare() { :; }
scenario_enter() { :; }
scenario_leave() { :; }

prefix_of() { echo "$RUN_DIR/${1//[^A-Za-z0-9_.]/_}"; }

_scenario_cleanup() {
  local prefix
  for prefix in "$RUN_DIR"/*/; do
    [ -f "${prefix%/}/system.reg" ] && WINEPREFIX="${prefix%/}" wineserver -k >/dev/null 2>&1
  done
  wine_env_stop
  # Nothing failed: nothing to look at.
  [ -n "$(ls -A "$RUN_DIR" | grep -v '^\.lock$')" ] || rm -rf "$RUN_DIR"
}

# One scenario in its own fresh prefix; its output goes to <prefix>.log and
# its result to <prefix>.status.
_scenario_run() {
  local test="$1" prefix rc
  prefix="$(prefix_of "$test")"
  rm -rf "$prefix"
  flock -s "$TEMPLATE_LOCK" cp -a "$TEMPLATE" "$prefix"
  export WINEPREFIX="$prefix"
  wineserver -p
  scenario_enter "$test"
  "$WINE" "$EXE" --gtest_color=no --gtest_filter="$test" </dev/null
  rc=$?
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  scenario_leave
  [ $rc -eq 0 ] && rm -rf "$prefix"
  echo $rc >"$prefix.status"
}

# Waits until fewer than $1 scenarios run (an Xvfb started by the runner is a
# child of this shell too, so no bare "wait").
_scenario_running=()
_scenario_wait_for_slot() {
  local alive=() pid
  while :; do
    alive=()
    for pid in "${_scenario_running[@]}"; do kill -0 "$pid" 2>/dev/null && alive+=("$pid"); done
    _scenario_running=("${alive[@]}")
    [ ${#_scenario_running[@]} -lt "$1" ] && return 0
    wait -n "${_scenario_running[@]}"
  done
}

scenario_main() {
  mkdir -p "$BASE"
  local old
  for old in "$BASE"/run.*/; do
    [ -d "$old" ] && flock -n "$old/.lock" rm -rf "$old"
  done
  RUN_DIR="$(mktemp -d "$BASE/run.XXXXXX")"
  exec 8>"$RUN_DIR/.lock"
  flock 8
  trap _scenario_cleanup EXIT
  wine_env_display

  # The template is made, its tests listed and the caller's preparation run
  # by one run at a time.
  exec 7>"$TEMPLATE_LOCK"
  flock 7
  wine_prefix_init "$TEMPLATE"
  local tests
  mapfile -t tests < <(WINEPREFIX="$TEMPLATE" "$WINE" "$EXE" --gtest_list_tests --gtest_filter="$FILTER" 2>/dev/null |
    tr -d '\r' | awk '/^[^ ]/ {suite=$1} /^  / {print suite $1}')
  WINEPREFIX="$TEMPLATE" scenario_prepare
  WINEPREFIX="$TEMPLATE" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$TEMPLATE" wineserver -w >/dev/null 2>&1 || true
  flock -u 7

  if [ ${#tests[@]} -eq 0 ]; then
    echo "no scenarios found in $EXE" >&2
    return 1
  fi

  local test
  for test in "${tests[@]}"; do
    _scenario_wait_for_slot "$JOBS"
    rm -f "$(prefix_of "$test").status"
    _scenario_run "$test" >"$(prefix_of "$test").log" 2>&1 &
    _scenario_running+=($!)
  done
  _scenario_wait_for_slot 1

  local failed=()
  for test in "${tests[@]}"; do
    echo "=== $test"
    cat "$(prefix_of "$test").log"
    [ "$(cat "$(prefix_of "$test").status" 2>/dev/null)" = 0 ] || failed+=("$test")
    rm -f "$(prefix_of "$test").log" "$(prefix_of "$test").status"
  done

  echo "${#tests[@]} scenarios, ${#failed[@]} failed"
  for test in "${failed[@]}"; do echo "FAILED: $test"; done
  [ ${#failed[@]} -eq 0 ]
}
