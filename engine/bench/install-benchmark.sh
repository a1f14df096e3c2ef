#!/bin/bash
# Installs a payload of about 256 MiB (one large file and a few thousand
# small ones) through the engine's worker under Wine, and prints its MiB/s
# beside unar extracting the same archive natively and cp -r of the same
# tree, as ratios from one run. Not a test: the figures depend on the machine.
# Usage: engine/bench/install-benchmark.sh [BUILD_DIR]   (default build/x64)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build/x64}" && pwd)"
cmake --build "$BUILD" --target engine_bench rarpack unrar >/dev/null
WORK="$BUILD/engine-bench"
rm -rf "$WORK"
mkdir -p "$WORK"
trap 'rm -rf "$WORK/tree" "$WORK/unar-out" "$WORK/cp-out"' EXIT

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

. "$ROOT/scripts/wine-env.sh"
wine_env_start "$BUILD/engine-bench-prefix" >/dev/null 2>&1
trap 'wine_env_stop; rm -rf "$WORK/tree" "$WORK/unar-out" "$WORK/cp-out"' EXIT
"$WINE" "$BUILD/tools/rarpack/rarpack.exe" -p tulbek "Z:$WORK/bench.z" "Z:$WORK/tree" >/dev/null 2>&1

now() { date +%s.%N; }
rate() { python3 -c "print(f'{$1 / ($3 - $2):.1f}')"; }

echo "payload: ${tree_mib} MiB, 1 large file and 3000 small ones"
worker_out="$("$WINE" "$BUILD/engine/engine_bench.exe" "Z:$BUILD/standins/unrar/unrar.dll" "Z:$WORK/bench.z" 'C:\bench\Lumbrix 2008' 2>&1 | tr -d '\r')"
worker=$(echo "$worker_out" | awk '/^MiB\/s/ {print $2}')
echo "$worker_out" | sed 's/^/  worker: /'

t0=$(now); unar -q -f -p tulbek -o "$WORK/unar-out" "$WORK/bench.z" >/dev/null; t1=$(now)
unar_rate=$(rate "$tree_mib" "$t0" "$t1")
t0=$(now); cp -r "$WORK/tree" "$WORK/cp-out"; sync; t1=$(now)
cp_rate=$(rate "$tree_mib" "$t0" "$t1")

echo "worker (Wine):   $worker MiB/s"
echo "unar (native):   $unar_rate MiB/s   worker/unar = $(python3 -c "print(f'{$worker / $unar_rate:.2f}')")"
echo "cp -r (native):  $cp_rate MiB/s   worker/cp = $(python3 -c "print(f'{$worker / $cp_rate:.2f}')")"
