#!/bin/bash
# The main job: sets up the machine, builds everything, and runs one install
# of the demo payload under Wine. Until the setup wizard exists, the install
# runs without a user interface: the engine's worker (through the driver
# engine_bench.exe) binds the built unrar.dll, extracts build/x64/payload/
# Install.z into the default product folder of a fresh Wine prefix, and writes
# the uninstall entry, the path value, the file association and the shortcuts.
# The script then shows what a user would find: the files, the registry
# entries and the shortcuts.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh"
BUILD="$ROOT/build/x64"
PREFIX="$BUILD/mainjob-prefix"
TARGET='C:\Program Files\Kestrum\Lumbrix 2008'

. "$ROOT/scripts/wine-env.sh"
# A fresh prefix each run, so the install starts from a clean system.
[ -d "$PREFIX" ] && WINEPREFIX="$PREFIX" wineserver -k >/dev/null 2>&1 || true
rm -rf "$PREFIX"
wine_env_start "$PREFIX"
trap wine_env_stop EXIT

winpath() { "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

echo "== installing $(du -h "$BUILD/payload/Install.z" | cut -f1) payload into: $TARGET"
set +e
"$WINE" "$BUILD/engine/engine_bench.exe" "$(winpath "$BUILD/standins/unrar/unrar.dll")" \
  "$(winpath "$BUILD/payload/Install.z")" "$TARGET"
status=$?
set -e

unix_target="$("$WINE" winepath -u "$TARGET" 2>/dev/null | tr -d '\r')"
echo "== product folder: $(find "$unix_target" -type f 2>/dev/null | wc -l) files"
ls "$unix_target" 2>/dev/null || true
echo "== registry"
for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumbrix 2008' \
           'HKLM\Software\Kestrum\Lumbrix 2008' 'HKCR\.qzarc' 'HKCR\Kestrum.Archive\DefaultIcon'; do
  "$WINE" reg query "$key" 2>/dev/null | iconv -f cp866 -t utf-8 | tr -d "\r" | sed "/^$/d" || echo "$key: missing"
done
echo "== shortcuts"
find "$PREFIX/drive_c" -name '*.lnk' \( -path '*Kestrum*' -o -path '*Desktop*' \) 2>/dev/null \
  | sed "s|$PREFIX/drive_c|C:|"
exit $status
