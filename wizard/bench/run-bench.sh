#!/bin/bash
# The setup wizard's start-up against a peer installer made with NSIS (Debian's
# nsis package, installed here with apt-get when makensis is missing; MUI2
# pages, target amd64-unicode), both run under the same Wine with a warm
# server. Not a test: the figures depend on the machine.
#
# 1. Start-up: from starting the program to its first page painted, timed from
#    outside the process by wizdrive.exe (the host visible, no window of the
#    page waiting for its paint, and the program's thread back in its message
#    loop), ROUNDS starts after one untimed start; the median. install.exe
#    runs from a media folder with unrar.dll and the demo payload, as built
#    and stripped; the peer carries the same payload's files; the floor is
#    bench_first_window.exe, one window with install.exe's system libraries.
# 2. Silent install of the 256 MiB benchmark tree (the engine benchmark's: one
#    large file and 3,000 small ones): our worker as a whole process
#    (engine_bench.exe: Wine's start, binding unrar.dll, listing, extraction,
#    registry and shortcuts, exit) against the peer's /S install, which writes
#    the same files, registry values and shortcuts. INSTALL_ROUNDS rounds, in
#    turn; the median of each and the median of the rounds' ratios.
# The peer stores its files uncompressed (the tree is random data, and our
# archive stores its files too) and keeps NSIS's default integrity check of
# its own file at start.
# Usage: wizard/bench/run-bench.sh [BUILD_DIR] [ROUNDS] [INSTALL_ROUNDS]   (build/x64, 10, 5)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build/x64}" && pwd)"
ROUNDS="${2:-10}"
INSTALL_ROUNDS="${3:-5}"
WORK="$BUILD/wizard-bench"
HERE="$ROOT/wizard/bench"

if ! command -v makensis >/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get install -y -qq nsis >/dev/null
fi
cmake --build "$BUILD" --target install_exe wizdrive bench_first_window engine_bench rarpack unrar payload >/dev/null

rm -rf "$WORK"
mkdir -p "$WORK/media"
trap 'rm -rf "$WORK/tree"' EXIT
cp "$BUILD/wizard/install.exe" "$BUILD/standins/unrar/unrar.dll" "$BUILD/payload/Install.z" "$WORK/media/"
# The same programs without their debugging information, as a release ships
# them: Wine reads a program's whole file at its start when its sections are
# not aligned to pages, debugging sections included.
mkdir -p "$WORK/media-stripped"
cp "$BUILD/payload/Install.z" "$WORK/media-stripped/"
x86_64-w64-mingw32-strip -o "$WORK/media-stripped/install.exe" "$WORK/media/install.exe"
x86_64-w64-mingw32-strip -o "$WORK/media-stripped/unrar.dll" "$WORK/media/unrar.dll"

python3 "$ROOT/engine/bench/make-bench-tree.py" "$WORK/tree"
tree_mib=$(du -sm --apparent-size "$WORK/tree" | cut -f1)

# The peer: one script, built twice (the demo payload's files for the
# start-up, the benchmark tree for the silent install).
makensis -V2 -INPUTCHARSET UTF8 -DPAYLOAD="$BUILD/payload/tree" -DOUTFILE="$WORK/peer-demo.exe" "$HERE/peer.nsi" >/dev/null
makensis -V2 -INPUTCHARSET UTF8 -DPAYLOAD="$WORK/tree" -DOUTFILE="$WORK/peer-bench.exe" "$HERE/peer.nsi" >/dev/null

. "$ROOT/scripts/wine-env.sh"
PREFIX="$BUILD/wizard-bench-prefix"
[ -d "$PREFIX" ] && WINEPREFIX="$PREFIX" wineserver -k >/dev/null 2>&1 || true
rm -rf "$PREFIX"
wine_env_start "$PREFIX" >/dev/null 2>&1
trap 'wine_env_stop; rm -rf "$WORK/tree"' EXIT
"$WINE" "$BUILD/tools/rarpack/rarpack.exe" -p tulbek "Z:$WORK/bench.z" "Z:$WORK/tree" >/dev/null 2>&1

# ---- Start-up --------------------------------------------------------------------
# Four programs, one start each in turn per round, so that a loaded moment of
# the machine weighs on all of them; round 0 is untimed (Wine's files and the
# programs into the cache). wizdrive prints the milliseconds of one start.
startup() {
  local name="$1"
  shift
  "$WINE" "$BUILD/wizard/wizdrive.exe" startup "$@" >"$WORK/startup.out" 2>&1 ||
    { echo "start-up timing of $name failed:" >&2; cat "$WORK/startup.out" >&2; exit 1; }
  tr -d '\r' <"$WORK/startup.out" >>"$WORK/$name.up"
}
for round in $(seq 0 "$ROUNDS"); do
  startup ours "Z:$WORK/media/install.exe" "Z:$WORK/media/Install.z"
  startup stripped "Z:$WORK/media-stripped/install.exe" "Z:$WORK/media-stripped/Install.z"
  startup peer --any "Z:$WORK/peer-demo.exe"
  startup floor --any "Z:$BUILD/wizard/bench_first_window.exe"
  if [ "$round" = 0 ]; then rm -f "$WORK"/*.up; fi
done
# What the peer's silent install or a cancelled first page may have left.
rm -rf "$PREFIX/drive_c/Program Files/Kestrum"

# ---- Silent install of the benchmark tree ----------------------------------------------
# NSIS takes the folder only unquoted, as the last argument: no spaces in it.
TARGET='C:\bench\Lumbrix'
unix_target="$PREFIX/drive_c/bench"
now() { date +%s.%N; }
# Output to a file, not a pipe: Wine's desktop process inherits the
# descriptors and would keep a pipe open after the program has ended.
ours_install() {
  "$WINE" "$BUILD/engine/engine_bench.exe" "Z:$BUILD/standins/unrar/unrar.dll" "Z:$WORK/bench.z" "$TARGET" \
    >"$WORK/ours.out" 2>&1 || { echo "our install failed:" >&2; cat "$WORK/ours.out" >&2; exit 1; }
}
peer_install() {
  "$WINE" "$WORK/peer-bench.exe" /S "/D=$TARGET" >"$WORK/peer.out" 2>&1 ||
    { echo "the peer's install failed" >&2; exit 1; }
  [ -f "$unix_target/Lumbrix/Видео/большой.bin" ] || { echo "the peer installed nothing" >&2; exit 1; }
}
timed() {
  local file="$1" t0 t1
  shift
  t0=$(now); "$@"; t1=$(now)
  python3 -c "print($t1 - $t0)" >>"$WORK/$file"
}
# One untimed install of each first.
ours_install; rm -rf "$unix_target"; peer_install; rm -rf "$unix_target"; sync
for round in $(seq 1 "$INSTALL_ROUNDS"); do
  if [ $((round % 2)) -eq 1 ]; then order="ours peer"; else order="peer ours"; fi
  for who in $order; do
    timed "$who.t" "${who}_install"
    rm -rf "$unix_target"
    sync
  done
done

python3 - "$WORK" "$tree_mib" "$ROUNDS" "$INSTALL_ROUNDS" "$(cut -d' ' -f1-3 /proc/loadavg)" <<'PY'
import os, statistics, sys
work, mib = sys.argv[1], float(sys.argv[2])
rounds, install_rounds, load = int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
med = statistics.median
def figures(name):
    return [float(x) for x in open(f"{work}/{name}").read().split()]
def mib_of(path):
    return os.path.getsize(f"{work}/{path}") / 1048576
print(f"load average at the end: {load}")
print(f"start-up to the first page painted, median of {rounds} starts (min-max), ms")
rows = (("ours", f"install.exe as built ({mib_of('media/install.exe'):.1f} MiB, with debugging information)"),
        ("stripped", f"install.exe stripped ({mib_of('media-stripped/install.exe'):.1f} MiB, as a release ships it)"),
        ("peer", f"NSIS MUI2 amd64-unicode ({mib_of('peer-demo.exe'):.1f} MiB, the payload inside)"),
        ("floor", "one window with one control, the same system libraries"))
floor = figures("floor.up")
print(f"  {'':66} {'median':>7}  (min-max)  over the floor, the rounds' median")
for name, label in rows:
    up = figures(f"{name}.up")
    over = med([u - f for u, f in zip(up, floor)])
    print(f"  {label:66} {med(up):7.1f}  ({min(up):.1f}-{max(up):.1f})  {over:+.1f}")
ours, peer = figures("ours.t"), figures("peer.t")
print(f"silent install of the {mib:.0f} MiB tree, whole process, median of {install_rounds} rounds, s")
print(f"  our worker (engine_bench.exe): {med(ours):6.2f}  ({mib / med(ours):.0f} MiB/s)")
print(f"  NSIS /S:                       {med(peer):6.2f}  ({mib / med(peer):.0f} MiB/s)")
print(f"  NSIS / ours, median of the rounds' ratios: {med([p / o for o, p in zip(ours, peer)]):.2f}")
PY
