# The large payload of the wizard's cancel scenarios, packed once per build
# folder into PAYLOADS/large.z. Sourced by run-wizard-scenarios.sh, and by
# scripts/test-i686.sh, which packs it on this machine before the emulated
# one (that has no Python) boots with a copy of the build folder.
#
# large_payload_make PAYLOADS RARPACK...: RARPACK is the command that runs a
# rarpack.exe (the archive format is the same from either architecture).
#
# 8,000 files of 4 KiB and one of 32 MiB: each file costs the install its
# creation and its record, so the extraction runs for seconds even on a fast
# disk, and a cancel at the bar's first move lands inside it.
large_payload_make() {
  local payloads="$1"
  shift
  local large="$payloads/large.z" stamp="$payloads/large.v2"
  [ -f "$large" ] && [ -f "$stamp" ] && return 0
  mkdir -p "$payloads"
  rm -rf "$payloads/large-tree" "$payloads"/large.*
  python3 - "$payloads/large-tree" <<'PY' || return 1
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
  local status=0
  "$@" -p tulbek "Z:$large" "Z:$payloads/large-tree" >/dev/null 2>&1 || status=1
  rm -rf "$payloads/large-tree"
  [ "$status" = 0 ] && [ -s "$large" ] || { rm -f "$large"; return 1; }
  touch "$stamp"
}
