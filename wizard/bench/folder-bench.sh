#!/bin/bash
# The folder page's speed, timed from outside the process by wizdrive.exe like
# the start-up benchmark. Not a test: the figures depend on the machine.
#
# For each case a fresh Wine prefix, one untimed round (the server and the
# files warm), then ROUNDS rounds, each a new install.exe walked to the Ready
# page, and the median of each step:
#   open     the posted click on "Выбрать папку" until the folder page is shown
#            and painted (the desktop level listed, each item of it told
#            whether it has sub-folders)
#   select   Down from the computer onto the documents item: its sub-folders
#            listed, and each of them looked into for the expand buttons
#   expand   Right on the documents item: its sub-folders shown
#   refresh  Down back onto the documents item (after Up): the level read
#            again and kept in step with the disk
#   end      End: down to its last sub-folder, which is selected and listed
# Cases: a fresh prefix; N sub-folders in the prefix's Documents (a level the
# opening lists ahead); the same N one level lower (Documents\deeper), which
# nothing lists until it is opened; and N/2 in Documents, to show the growth.
# Usage: wizard/bench/folder-bench.sh [BUILD_DIR] [ROUNDS] [N]   (build/x64, 10, 5000)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build/x64}" && pwd)"
ROUNDS="${2:-10}"
N="${3:-5000}"
WORK="$BUILD/folder-bench"

cmake --build "$BUILD" --target install_exe wizdrive payload >/dev/null
rm -rf "$WORK"
mkdir -p "$WORK/media"
cp "$BUILD/wizard/install.exe" "$BUILD/wizard/unrar.dll" "$BUILD/payload/Install.z" "$WORK/media/"

. "$ROOT/scripts/wine-env.sh"
PREFIX="$WORK/prefix"
trap 'wine_env_stop >/dev/null 2>&1 || true' EXIT

# Output to a file, not a pipe: Wine's desktop process inherits the
# descriptors and would keep a pipe open after the program has ended.
drive() {
  "$WINE" "$BUILD/wizard/wizdrive.exe" "$@" >"$WORK/drive.out" 2>&1 ||
    { echo "wizdrive $* failed:" >&2; tr -d '\r' <"$WORK/drive.out" >&2; return 1; }
  tr -d '\r' <"$WORK/drive.out"
}

# One round: a new wizard to the Ready page, then the timed steps, appended
# to the case's files; the wizard is closed after.
round() {
  local name="$1" docs="$2" pid
  ( cd "$WORK/media" && exec "$WINE" install.exe ) >"$WORK/install.log" 2>&1 &
  pid=$!
  drive wait Welcome 120 >/dev/null
  drive click forward --then-wait Licence 60 >/dev/null
  drive click forward --then-wait Ready 60 >/dev/null
  drive time-click select-folder Folder >>"$WORK/$name.open"
  if [ -n "$docs" ]; then
    drive keys --to TElTreeView --until-edit '' --max 5 down >/dev/null
    drive time-keys --to TElTreeView down >>"$WORK/$name.select"
    drive keys --to TElTreeView --until-edit "$docs\\Lumbrix 2008" --max 1 down >/dev/null
    drive time-keys --to TElTreeView right >>"$WORK/$name.expand"
    drive keys --to TElTreeView --until-edit '' --max 1 up >/dev/null
    drive time-keys --to TElTreeView down >>"$WORK/$name.refresh"
    drive time-keys --to TElTreeView end >>"$WORK/$name.end"
  fi
  drive click close >/dev/null
  wait "$pid" || true
}

# case NAME FOLDERS LOWER: a fresh prefix with FOLDERS sub-folders in
# Documents (or in Documents\deeper when LOWER is 1).
run_case() {
  local name="$1" folders="$2" lower="$3" user docs_unix docs i
  [ -d "$PREFIX" ] && WINEPREFIX="$PREFIX" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$PREFIX"
  wine_env_start "$PREFIX" >/dev/null 2>&1
  user="$(ls "$PREFIX/drive_c/users" | grep -vx Public | head -1)"
  docs_unix="$PREFIX/drive_c/users/$user/Documents"
  docs="$("$WINE" winepath -w "$docs_unix" 2>/dev/null | tr -d '\r')"
  local where="$docs_unix"
  [ "$lower" = 1 ] && where="$docs_unix/deeper"
  mkdir -p "$where"
  for ((i = 0; i < folders; i++)); do printf '%s\0' "$where/folder $i"; done | xargs -0 -r mkdir
  round warmup "$docs"
  for ((i = 0; i < ROUNDS; i++)); do round "$name" "$docs"; done
  wine_env_stop >/dev/null 2>&1 || true
}

run_case fresh 0 0
run_case "docs$((N / 2))" "$((N / 2))" 0
run_case "docs$N" "$N" 0
run_case "lower$N" "$N" 1

python3 - "$WORK" "$ROUNDS" "$N" "$(cut -d' ' -f1-3 /proc/loadavg)" <<'PY'
import os, statistics, sys
work, rounds, n, load = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
def figures(name, step):
    path = f"{work}/{name}.{step}"
    return [float(x) for x in open(path).read().split()] if os.path.exists(path) else []
cases = [("fresh", "a fresh prefix"), (f"docs{n // 2}", f"{n // 2:,} sub-folders in Documents"),
         (f"docs{n}", f"{n:,} sub-folders in Documents"), (f"lower{n}", f"{n:,} one level lower (Documents\\deeper)")]
print(f"folder page, ms, median of {rounds} rounds (min-max); load average at the end: {load}")
print(f"| case | open the page | select Documents | expand it | select it again | End |")
print(f"|---|---|---|---|---|---|")
for name, label in cases:
    cells = []
    for step in ("open", "select", "expand", "refresh", "end"):
        f = figures(name, step)
        cells.append(f"{statistics.median(f):.1f} ({min(f):.0f}-{max(f):.0f})" if f else "-")
    print(f"| {label} | " + " | ".join(cells) + " |")
PY
