#!/bin/bash
# The main job: sets up the machine, builds everything, and runs the setup
# wizard install.exe with the demo payload in a fresh Wine prefix, from a media
# folder that holds install.exe and unrar.dll as the product ships them.
#
# With DISPLAY set by the caller (a user's display) the wizard opens there for
# the user, and the script waits until it ends. Without one it runs on Xvfb
# and walks the wizard itself with wizdrive.exe, by clicks posted to the
# buttons' windows as a user would press them: Welcome, Licence, Ready,
# Installing, Finish. It saves a screenshot of each page in
# build/x64/mainjob-screens/. Either way it ends with what a user would find:
# the files, the registry values and the shortcuts.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh"
BUILD="$ROOT/build/x64"
PREFIX="$BUILD/mainjob-prefix"
MEDIA="$BUILD/mainjob-media"
SCREENS="$BUILD/mainjob-screens"
TARGET='C:\Program Files\Kestrum\Lumbrix 2008'
USER_DISPLAY="${DISPLAY:-}"

rm -rf "$MEDIA"
mkdir -p "$MEDIA"
cp "$BUILD/wizard/install.exe" "$BUILD/standins/unrar/unrar.dll" "$MEDIA/"

. "$ROOT/scripts/wine-env.sh"
# A fresh prefix each run, so the install starts from a clean system.
[ -d "$PREFIX" ] && WINEPREFIX="$PREFIX" wineserver -k >/dev/null 2>&1 || true
rm -rf "$PREFIX"
wine_env_start "$PREFIX"
trap wine_env_stop EXIT

winpath() { "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
ARCHIVE="$(winpath "$BUILD/payload/Install.z")"
echo "== $(du -h "$BUILD/payload/Install.z" | cut -f1) payload, default target: $TARGET"

if [ -n "$USER_DISPLAY" ]; then
  echo "== the wizard is open on $USER_DISPLAY; the script goes on when it ends"
  set +e
  "$WINE" "$MEDIA/install.exe" "$ARCHIVE"
  status=$?
  set -e
else
  rm -rf "$SCREENS"
  mkdir -p "$SCREENS"
  # Every Windows program's output goes to a file: Wine's desktop process,
  # started by the first program that needs it, inherits its output and
  # would hold a pipe open after that program has ended.
  drive() {
    local rc=0
    "$WINE" "$BUILD/wizard/wizdrive.exe" "$@" >"$BUILD/mainjob-drive.out" 2>&1 || rc=$?
    tr -d '\r' <"$BUILD/mainjob-drive.out"
    return $rc
  }
  "$WINE" "$MEDIA/install.exe" "$ARCHIVE" >"$BUILD/mainjob-install.log" 2>&1 &
  wizard_pid=$!
  walk_failed() {
    echo "== walking the wizard failed: $1" >&2
    cat "$BUILD/mainjob-install.log" >&2
    kill "$wizard_pid" 2>/dev/null || true
    exit 1
  }
  # Waits for the page, saves what the screen shows of the wizard's window
  # (the driver takes it from the screen the moment the page is painted;
  # the cut-away corners of the window show the empty desktop), and says so.
  n=0
  page() {
    local name="$1" seconds="$2" line
    n=$((n + 1))
    line="$(drive wait "$name" "$seconds" --shot "$(winpath "$SCREENS")\\$n-$name.bmp")" || walk_failed "$line"
    convert "$SCREENS/$n-$name.bmp" "$SCREENS/$n-$name.png" && rm -f "$SCREENS/$n-$name.bmp"
    echo "   $line  (screenshot $n-$name.png)"
  }
  echo "== walking the wizard on Xvfb $DISPLAY with posted clicks (page, host's left top width height)"
  page Welcome 120
  drive click forward >/dev/null || walk_failed "no forward button on Welcome"
  page Licence 60
  drive click forward >/dev/null || walk_failed "no forward button on Licence"
  page Ready 60
  # The forward click and the wait are one call of the driver, so that the
  # Installing page is caught however quickly the install runs.
  n=$((n + 1))
  line="$(drive click forward --then-wait Installing 60 --shot "$(winpath "$SCREENS")\\$n-Installing.bmp")" ||
    walk_failed "$line"
  convert "$SCREENS/$n-Installing.bmp" "$SCREENS/$n-Installing.png" && rm -f "$SCREENS/$n-Installing.bmp"
  echo "   $line  (screenshot $n-Installing.png)"
  page Finish 600
  drive click forward >/dev/null || walk_failed "no forward button on Finish"
  set +e
  wait "$wizard_pid"
  status=$?
  set -e
  echo "== install.exe ended with status $status; screenshots in ${SCREENS#$ROOT/}/"
fi

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
