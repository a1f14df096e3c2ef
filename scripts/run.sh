#!/bin/bash
# The main job: sets up the machine, builds everything, and runs the setup
# wizard install.exe in a fresh Wine prefix from the media folder
# build/x64/media, as the product ships: install.exe and unrar.dll stripped,
# and the demo payload Install.z beside them.
#
# With DISPLAY set by the caller (a user's display) the wizard opens there for
# the user, and the script waits until it ends. Without one it runs on Xvfb
# and walks the wizard itself with wizdrive.exe, by clicks posted to the
# buttons' windows as a user would press them: Welcome, Licence, Ready, the
# folder page (where keys choose C:\Program Files in the tree), Installing,
# Finish. It saves a screenshot of each page in
# build/x64/mainjob-screens/, then checks that the install is complete.
# Either way it ends with what a user would find: the files, the registry
# values and the shortcuts. (scripts/mainjob.sh holds the walk and the check.)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh"
BUILD="$ROOT/build/x64"
PREFIX="$BUILD/mainjob-prefix"
MEDIA="$BUILD/media"
SCREENS="$BUILD/mainjob-screens"

. "$ROOT/scripts/wine-env.sh"
. "$ROOT/scripts/mainjob.sh"
# A fresh prefix each run, so the install starts from a clean system.
[ -d "$PREFIX" ] && WINEPREFIX="$PREFIX" wineserver -k >/dev/null 2>&1 || true
rm -rf "$PREFIX"
USER_DISPLAY="${DISPLAY:-}"
wine_env_start "$PREFIX"
trap wine_env_stop EXIT

echo "== media folder ${MEDIA#$ROOT/}: $(cd "$MEDIA" && ls -l install.exe unrar.dll Install.z | awk '{printf "%s %s bytes  ", $9, $5}')"
echo "== the folder listed at the end: $MAINJOB_TARGET (chosen on the folder page by the walk)"
if [ -n "$USER_DISPLAY" ]; then
  echo "== the wizard is open on $USER_DISPLAY; the script goes on when it ends"
  set +e
  ( cd "$MEDIA" && exec "$WINE" install.exe )
  status=$?
  set -e
  mainjob_report
  exit $status
fi
status=0
mainjob_walk "$MEDIA" "$BUILD/wizard/wizdrive.exe" "$SCREENS" "$BUILD/mainjob-logs" || status=1
mainjob_report "$BUILD/payload/tree" || status=1
exit $status
