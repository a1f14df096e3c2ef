#!/bin/bash
# Installs a payload of about 256 MiB (one large file and 3,000 small ones)
# through the engine's worker under Wine, beside the write floor under the
# same Wine, unar extracting the same archive natively and cp -r of the same
# tree. Not a test: the figures depend
# on the machine, and on a shared machine they swing from run to run, so the
# three are run in turn for several rounds and the medians are printed.
#
# Each tool is timed twice per round: its own run, and its run followed by a
# sync (the data on disk). The worker is timed inside its process (from the
# thread's start to its end: listing, extraction, registry and shortcuts) and
# as a whole process (Wine's start, binding unrar.dll, the install and the
# exit), which is what compares with other installers. The write floor
# (engine_write_floor.exe) reads the same tree into memory first and then
# writes it with CreateFileW, WriteFile and CloseHandle alone, timed inside
# its process: under Wine, whose cost per created name is the floor of any
# Windows installer there, the fair anchor of the worker's time inside its
# process.
# Usage: engine/bench/install-benchmark.sh [BUILD_DIR] [ROUNDS]   (build/x64, 5)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build/x64}" && pwd)"
ROUNDS="${2:-5}"
cmake --build "$BUILD" --target engine_bench engine_write_floor rarpack unrar >/dev/null
WORK="$BUILD/engine-bench"
rm -rf "$WORK"
mkdir -p "$WORK"
trap 'rm -rf "$WORK/tree" "$WORK/unar-out" "$WORK/cp-out"' EXIT

python3 "$ROOT/engine/bench/make-bench-tree.py" "$WORK/tree"
tree_mib=$(du -sm --apparent-size "$WORK/tree" | cut -f1)

. "$ROOT/scripts/wine-env.sh"
PREFIX="$BUILD/engine-bench-prefix"
wine_env_start "$PREFIX" >/dev/null 2>&1
trap 'wine_env_stop; rm -rf "$WORK/tree" "$WORK/unar-out" "$WORK/cp-out"' EXIT
"$WINE" "$BUILD/tools/rarpack/rarpack.exe" -p tulbek "Z:$WORK/bench.z" "Z:$WORK/tree" >/dev/null 2>&1
TARGET='C:\bench\Lumbrix 2008'
unix_target="$PREFIX/drive_c/bench"

now() { date +%s.%N; }
# Appends "run run+sync" seconds of one command to the named file.
timed() {
  local file="$1"; shift
  local t0 t1 t2
  t0=$(now); "$@"; t1=$(now); sync; t2=$(now)
  echo "$(python3 -c "print($t1 - $t0, $t2 - $t0)")" >>"$WORK/$file"
}
# The output goes to a file, not a pipe: Wine's desktop process, started by
# the worker, inherits the descriptors and lingers for a second after the
# worker has ended, and a pipe would be timed until it lets go.
worker() {
  "$WINE" "$BUILD/engine/engine_bench.exe" "Z:$BUILD/standins/unrar/unrar.dll" "Z:$WORK/bench.z" "$TARGET" \
    >"$WORK/worker.out" 2>&1 || { echo "the worker failed:" >&2; cat "$WORK/worker.out" >&2; exit 1; }
  tr -d '\r' <"$WORK/worker.out" | awk '/^seconds/ {print $2}' >>"$WORK/inprocess"
}
floor_run() {
  "$WINE" "$BUILD/engine/engine_write_floor.exe" "Z:$WORK/tree" "$TARGET" \
    >"$WORK/floor.out" 2>&1 || { echo "the write floor failed:" >&2; cat "$WORK/floor.out" >&2; exit 1; }
  tr -d '\r' <"$WORK/floor.out" | awk '/^seconds/ {print $2}' >>"$WORK/floorinprocess"
}
unar_run() { unar -q -f -p tulbek -o "$WORK/unar-out" "$WORK/bench.z" >/dev/null; }
cp_run() { cp -r "$WORK/tree" "$WORK/cp-out"; }

# One untimed install first: Wine's own start-up files and the archive are
# then in the cache for every round alike.
worker; rm -f "$WORK/inprocess"; rm -rf "$unix_target"
floor_run; rm -f "$WORK/floorinprocess"; rm -rf "$unix_target"; sync
for round in $(seq 1 "$ROUNDS"); do
  # The order turns each round, so that none of them always follows the
  # same neighbour's write-back; the floor always runs right after the worker.
  for tool in $(python3 -c "t=['worker','unar','cp']; r=$round%3; print(' '.join(t[r:]+t[:r]))"); do
    case "$tool" in
      worker) timed worker.t worker; rm -rf "$unix_target"; sync
              timed floor.t floor_run; rm -rf "$unix_target" ;;
      unar) timed unar.t unar_run; rm -rf "$WORK/unar-out" ;;
      cp) timed cp.t cp_run; rm -rf "$WORK/cp-out" ;;
    esac
    sync
  done
done

python3 - "$WORK" "$tree_mib" "$ROUNDS" <<'PY'
import statistics, sys
work, mib, rounds = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])
def load(name):
    return [tuple(map(float, line.split())) for line in open(f"{work}/{name}")]
inproc = [float(x) for x in open(f"{work}/inprocess").read().split()]
floor_inproc = [float(x) for x in open(f"{work}/floorinprocess").read().split()]
runs = {t: load(f"{t}.t") for t in ("worker", "floor", "unar", "cp")}
rate = lambda s: mib / s
med = lambda xs: statistics.median(xs)
print(f"payload: {mib:.0f} MiB, 1 large file and 3000 small ones; {rounds} rounds, medians (MiB/s)")
print(f"{'':30} {'run':>8} {'run+sync':>9}")
print(f"{'worker, inside its process':30} {rate(med(inproc)):8.1f}")
print(f"{'write floor, inside its process':30} {rate(med(floor_inproc)):8.1f}")
for name, label in (("worker", "worker, whole process (Wine)"), ("floor", "write floor, whole process"),
                    ("unar", "unar (native)"), ("cp", "cp -r (native)")):
    r = runs[name]
    print(f"{label:30} {rate(med([a for a, _ in r])):8.1f} {rate(med([b for _, b in r])):9.1f}")
# Ratios of the same round, so that a loaded moment weighs on both sides.
def ratio(a, b, k):
    return med([y[k] / x[k] for x, y in zip(runs[a], runs[b])])
print("ratios (median of the rounds' own ratios; above 1 the worker is faster):")
print(f"  whole worker / unar:   run {ratio('worker', 'unar', 0):.2f}   run+sync {ratio('worker', 'unar', 1):.2f}")
print(f"  whole worker / cp -r:  run {ratio('worker', 'cp', 0):.2f}   run+sync {ratio('worker', 'cp', 1):.2f}")
inside_cp = med([c[1] / w for w, c in zip(inproc, runs['cp'])])
inside_unar = med([u[0] / w for w, u in zip(inproc, runs['unar'])])
print(f"  worker inside its process / unar run: {inside_unar:.2f}   / cp -r run+sync: {inside_cp:.2f}")
inside_floor = med([f / w for w, f in zip(inproc, floor_inproc)])
print(f"  worker inside its process / write floor inside its process: {inside_floor:.2f}"
      f"   ({med(inproc):.2f} s against {med(floor_inproc):.2f} s)")
PY
