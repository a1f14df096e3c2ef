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
#    runs from a media folder with unrar.dll and the demo payload; the peer
#    carries the same payload's files.
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
cmake --build "$BUILD" --target install_exe wizdrive engine_bench rarpack unrar payload >/dev/null

rm -rf "$WORK"
mkdir -p "$WORK/media"
trap 'rm -rf "$WORK/tree"' EXIT
cp "$BUILD/wizard/install.exe" "$BUILD/standins/unrar/unrar.dll" "$BUILD/payload/Install.z" "$WORK/media/"

python3 - "$WORK/tree" <<'PY'
import os, random, sys
out = sys.argv[1]
rng = random.Random(256)
os.makedirs(os.path.join(out, "Видео"), exist_ok=True)
with open(os.path.join(out, "Видео", "большой.bin"), "wb") as f:
    for _ in range(160):
        f.write(rng.randbytes(1024 * 1024))
for i in range(3000):
    folder = os.path.join(out, "Шаблоны", f"группа {i // 100:02d}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"файл {i:04d}.dat"), "wb") as f:
        f.write(rng.randbytes(rng.randint(1024, 64 * 1024)))
PY
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
# wizdrive prints one figure a start; the first start is untimed (Wine's
# files and the program into the cache).
startup() {
  "$WINE" "$BUILD/wizard/wizdrive.exe" startup "$@" >"$WORK/startup.out" 2>&1 ||
    { echo "start-up timing failed:" >&2; cat "$WORK/startup.out" >&2; exit 1; }
  tr -d '\r' <"$WORK/startup.out" | tail -n +2
}
ours_startup="$(startup --rounds $((ROUNDS + 1)) "Z:$WORK/media/install.exe" "Z:$WORK/media/Install.z")"
peer_startup="$(startup --any --rounds $((ROUNDS + 1)) "Z:$WORK/peer-demo.exe")"
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

python3 - "$WORK" "$tree_mib" "$ROUNDS" "$INSTALL_ROUNDS" "$ours_startup" "$peer_startup" \
  "$(stat -c %s "$WORK/media/install.exe")" "$(stat -c %s "$WORK/media/Install.z")" \
  "$(stat -c %s "$WORK/peer-demo.exe")" <<'PY'
import statistics, sys
work, mib = sys.argv[1], float(sys.argv[2])
rounds, install_rounds = int(sys.argv[3]), int(sys.argv[4])
ours_up = [float(x) for x in sys.argv[5].split()]
peer_up = [float(x) for x in sys.argv[6].split()]
exe, archive, peer_exe = (int(x) / 1048576 for x in sys.argv[7:10])
ours = [float(x) for x in open(f"{work}/ours.t").read().split()]
peer = [float(x) for x in open(f"{work}/peer.t").read().split()]
med = statistics.median
print(f"start-up to the first page painted, median of {rounds} starts (min-max), ms")
print(f"  install.exe (wizard, {exe:.1f} MiB, archive {archive:.1f} MiB beside it): "
      f"{med(ours_up):7.1f}  ({min(ours_up):.1f}-{max(ours_up):.1f})")
print(f"  NSIS MUI2 amd64-unicode ({peer_exe:.1f} MiB, same files inside):   "
      f"{med(peer_up):7.1f}  ({min(peer_up):.1f}-{max(peer_up):.1f})")
print(f"silent install of the {mib:.0f} MiB tree, whole process, median of {install_rounds} rounds, s")
print(f"  our worker (engine_bench.exe): {med(ours):6.2f}  ({mib / med(ours):.0f} MiB/s)")
print(f"  NSIS /S:                       {med(peer):6.2f}  ({mib / med(peer):.0f} MiB/s)")
print(f"  NSIS / ours, median of the rounds' ratios: {med([p / o for o, p in zip(ours, peer)]):.2f}")
PY
