# Sourced by every script that runs a Windows program. Defines:
#   wine_env_start [prefix]  - environment, Xvfb when no DISPLAY, prefix, wineserver
#   wine_env_desktop         - a second prefix with a server of its own for the
#                              programs that use the desktop (see there)
#   wine_env_display         - only the Xvfb part of wine_env_start
#   wine_env_stop            - stops what wine_env_start and wine_env_desktop
#                              started, for those prefixes only
# The prefix defaults to the one of the build directory in WINE_BUILD_DIR,
# else build/x64/wineprefix of this checkout.

WINE_ENV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

export LC_ALL=ru_RU.UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
# This machine cannot execute 32-bit x86 code, so everything runs as 64-bit
# programs under the 64-bit loader; the emulated machine of the i686 tests
# sets both to their 32-bit counterparts.
export WINEARCH="${WINEARCH:-win64}"
export WINE="${WINE:-/usr/lib/wine/wine64}"

_wine_env_xvfb_pid=""
_wine_env_started_servers=()

_wine_env_free_display() {
  local n
  for n in $(seq 90 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      echo "$n"; return 0
    fi
  done
  return 1
}

# Wine links the user's shell folders (Desktop, Documents...) to the host's
# home folder; a desktop shortcut would land there. Each becomes a real
# folder inside the prefix.
wine_prefix_isolate() {
  local prefix="$1" link
  for link in "$prefix"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Videos,Templates}; do
    if [ -L "$link" ]; then
      rm -f "$link"
      mkdir -p "$link"
    fi
  done
}

# Settings of our own in every prefix, applied while a server of the prefix
# runs (a call would otherwise start a second server beside the persistent
# one) and only when they change:
# - A crashing program ends at once with its backtrace on stderr: Wine's crash
#   dialog would wait for a click nobody gives until the test times out.
# - On our own Xvfb, which has no window manager, windows are not managed:
#   Wine would wait two seconds for a manager's answer each time a shown
#   window is hidden or destroyed. On a real display the manager answers.
wine_prefix_settings() {
  local prefix="$1" want=display
  [ "${WINE_ENV_HEADLESS:-}" = 1 ] && want=headless
  [ "$(cat "$prefix/.env-settings" 2>/dev/null)" = "$want" ] && return 0
  local x11='HKCU\Software\Wine\X11 Driver'
  WINEPREFIX="$prefix" "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f >/dev/null 2>&1 || return 0
  if [ "$want" = headless ]; then
    WINEPREFIX="$prefix" "$WINE" reg add "$x11" /v Managed /d N /f >/dev/null 2>&1 || return 0
  else
    WINEPREFIX="$prefix" "$WINE" reg delete "$x11" /v Managed /f >/dev/null 2>&1 || true
  fi
  echo "$want" >"$prefix/.env-settings"
}

# Creates the prefix when it is missing: a copy of WINE_PREFIX_TEMPLATE when
# that names a ready prefix, else by wineboot, with the Mono and Gecko
# installers disabled for this one step, since the machine has no internet.
wine_prefix_init() {
  local prefix="$1"
  if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    if [ -f "${WINE_PREFIX_TEMPLATE:-}/system.reg" ]; then
      rm -rf "$prefix"
      cp -a "$WINE_PREFIX_TEMPLATE" "$prefix"
    else
      WINEPREFIX="$prefix" WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
        "$WINE" wineboot -i >/dev/null 2>&1 || true
    fi
    wine_prefix_settings "$prefix"
    WINEPREFIX="$prefix" wineserver -w
  fi
  wine_prefix_isolate "$prefix"
}

# Starts Xvfb on a free display when no DISPLAY is set, and waits (with room
# for a slow machine) until it accepts clients.
wine_env_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local d i
  # Several test runs may start at once (other checkouts, other users of the
  # machine): choosing a display and starting its server is one locked step.
  exec 9>/tmp/.wine-env-xvfb.lock
  flock 9
  d="$(_wine_env_free_display)"
  Xvfb ":$d" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 9>&- &
  _wine_env_xvfb_pid=$!
  export DISPLAY=":$d" WINE_ENV_HEADLESS=1
  for i in $(seq 1 1200); do
    [ -e "/tmp/.X11-unix/X$d" ] && break
    sleep 0.05
  done
  flock -u 9
  exec 9>&-
}

# Starts the prefix's persistent server, for the rest of the run, so that
# each program starts quickly; wine_env_stop stops it. A server that runs
# already (another run's on the same prefix: "wineserver -p" answers 2) is
# used and left running, so that a program run alone beside a test run
# never ends that run's programs halfway.
_wine_env_serve() {
  local prefix="$1" status=0
  WINEPREFIX="$prefix" wineserver -p || status=$?
  [ $status -eq 0 ] && _wine_env_started_servers+=("$prefix")
  wine_prefix_settings "$prefix"
  # Start the prefix's system processes (services, explorer) now, detached
  # from every pipe: started by a test program instead, they would inherit
  # its output pipe and keep the test runner waiting until the server ends.
  WINEPREFIX="$prefix" "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_env_start() {
  local _prefix="${1:-${WINEPREFIX:-${WINE_BUILD_DIR:-$WINE_ENV_ROOT/build/x64}/wineprefix}}"
  mkdir -p "$(dirname "$_prefix")"
  _prefix="$(cd "$(dirname "$_prefix")" && pwd)/$(basename "$_prefix")"
  export WINEPREFIX="$_prefix"
  wine_env_display
  wine_prefix_init "$WINEPREFIX"
  _wine_env_serve "$WINEPREFIX"
}

# After wine_env_start: the prefix <WINEPREFIX>-desktop, a copy of the run's
# prefix with a server of its own, for the programs that move the mouse,
# click or take the focus (wine-run.sh moves a program there when
# WINE_RUN_DESKTOP=1). One server is one desktop: the other programs of a
# parallel run, their windows appearing and going, make it send mouse moves
# at the real cursor to whatever window is under it or holds the capture,
# and those programs' tests see moves they never made.
wine_env_desktop() {
  local prefix="$WINEPREFIX-desktop"
  if [ ! -f "$prefix/system.reg" ]; then
    rm -rf "$prefix"
    cp -a "$WINEPREFIX" "$prefix"
    # Settings are applied again in the copy's own registry.
    rm -f "$prefix/.env-settings"
  fi
  wine_prefix_isolate "$prefix"
  _wine_env_serve "$prefix"
  export WINE_DESKTOP_PREFIX="$prefix"
}

wine_env_stop() {
  local prefix
  for prefix in "${_wine_env_started_servers[@]}"; do
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1 || true
  done
  _wine_env_started_servers=()
  unset WINE_DESKTOP_PREFIX
  if [ -n "$_wine_env_xvfb_pid" ]; then
    kill "$_wine_env_xvfb_pid" >/dev/null 2>&1 || true
    wait "$_wine_env_xvfb_pid" 2>/dev/null || true
    _wine_env_xvfb_pid=""
    unset DISPLAY WINE_ENV_HEADLESS
  fi
}
