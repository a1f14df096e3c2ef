#!/bin/bash
# First boot of a new image (run by its init from the job folder): makes the
# 32-bit Wine prefix that every test run copies, so that no run pays for
# wineboot. Mono and Gecko stay out (the machine has no internet).
set -eu
export LC_ALL=ru_RU.UTF-8 WINEDEBUG=-all WINEARCH=win32
export WINEPREFIX=/opt/wine-template
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
Xvfb :5 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:5
for _ in $(seq 1 600); do [ -e /tmp/.X11-unix/X5 ] && break; sleep 0.1; done
start=$SECONDS
/usr/lib/wine/wine wineboot -i >/dev/null 2>&1 || true
wineserver -w
kill $xvfb; wait $xvfb 2>/dev/null || true
[ -f "$WINEPREFIX/system.reg" ] && grep -q '#arch=win32' "$WINEPREFIX/system.reg"
echo "prepare: 32-bit prefix made in $((SECONDS - start)) s"
echo ok >/mnt/job/status
