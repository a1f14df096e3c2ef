# Sourced by every script that runs a Windows program. Defines:
#   wine_env_start [prefix]  - environment, Xvfb when no DISPLAY, prefix, wineserver
#   wine_env_stop            - stops what wine_env_start started, for that prefix only
# The prefix defaults to the one of the build directory in WINE_BUILD_DIR,
# else build/x64/wineprefix of this checkout.

WINE_ENV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

export LC_ALL=ru_RU.UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
export WINEARCH=win64
# This machine cannot execute 32-bit x86 code, so everything runs as 64-bit
# programs under the 64-bit loader.
export WINE="${WINE:-/usr/lib/wine/wine64}"

_wine_env_xvfb_pid=""
_wine_env_started_server=""

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

# A crashing program must end at once with its backtrace on stderr: Wine's
# crash dialog would wait for a click nobody gives until the test times out.
wine_prefix_no_crash_dialog() {
  local prefix="$1"
  [ -f "$prefix/.no-crash-dialog" ] && return 0
  WINEPREFIX="$prefix" "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f >/dev/null 2>&1 && touch "$prefix/.no-crash-dialog" || true
}

# Creates the prefix when it is missing. Mono and Gecko installers are
# disabled for this one step, since the machine has no internet.
wine_prefix_init() {
  local prefix="$1"
  if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    WINEPREFIX="$prefix" WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
      "$WINE" wineboot -i >/dev/null 2>&1 || true
    wine_prefix_no_crash_dialog "$prefix"
    WINEPREFIX="$prefix" wineserver -w
  fi
  wine_prefix_isolate "$prefix"
}

wine_env_start() {
  local _prefix="${1:-${WINEPREFIX:-${WINE_BUILD_DIR:-$WINE_ENV_ROOT/build/x64}/wineprefix}}"
  mkdir -p "$(dirname "$_prefix")"
  _prefix="$(cd "$(dirname "$_prefix")" && pwd)/$(basename "$_prefix")"
  export WINEPREFIX="$_prefix"
  if [ -z "${DISPLAY:-}" ]; then
    local d i
    # Several test runs may start at once (other checkouts, other users of the
    # machine): choosing a display and starting its server is one locked step.
    exec 9>/tmp/.wine-env-xvfb.lock
    flock 9
    d="$(_wine_env_free_display)"
    Xvfb ":$d" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 9>&- &
    _wine_env_xvfb_pid=$!
    export DISPLAY=":$d"
    for i in $(seq 1 200); do
      [ -e "/tmp/.X11-unix/X$d" ] && break
      sleep 0.05
    done
    flock -u 9
    exec 9>&-
  fi
  wine_prefix_init "$WINEPREFIX"
  # One persistent server for the run, so that each program starts quickly.
  wineserver -p
  _wine_env_started_server="$WINEPREFIX"
  # Prefixes made before the setting existed get it now, from the running server.
  wine_prefix_no_crash_dialog "$WINEPREFIX"
  # Start the prefix's system processes (services, explorer) now, detached
  # from every pipe: started by a test program instead, they would inherit
  # its output pipe and keep the test runner waiting until the server ends.
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_env_stop() {
  if [ -n "$_wine_env_started_server" ]; then
    WINEPREFIX="$_wine_env_started_server" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$_wine_env_started_server" wineserver -w >/dev/null 2>&1 || true
    _wine_env_started_server=""
  fi
  if [ -n "$_wine_env_xvfb_pid" ]; then
    kill "$_wine_env_xvfb_pid" >/dev/null 2>&1 || true
    wait "$_wine_env_xvfb_pid" 2>/dev/null || true
    _wine_env_xvfb_pid=""
    unset DISPLAY
  fi
}
