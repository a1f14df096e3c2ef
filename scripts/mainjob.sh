# The main job's walk and report, sourced by scripts/run.sh (the x86_64 media
# folder under wine64) and by the emulated machine's run (the i686 media
# folder under 32-bit Wine). The caller has set up Wine (wine-env.sh: WINE,
# WINEPREFIX with its server, DISPLAY). Defines:
#   mainjob_walk MEDIA WIZDRIVE SCREENS LOGS
#       starts MEDIA/install.exe as a user does (no argument: the Install.z
#       beside it) and walks it with wizdrive.exe by posted clicks and keys:
#       Welcome, Licence, Ready, the folder page (where the keys choose
#       MAINJOB_TARGET's parent in the tree), Installing, Finish, saving a
#       screenshot of each page in SCREENS (PNG where ImageMagick is at hand,
#       else BMP); fails when a page does not come or the program ends with
#       another status than 0
#   mainjob_report [TREE]
#       lists what a user finds: the product folder's files, the registry
#       values and the shortcuts; with TREE (the payload's folder before
#       packing) it also checks them and fails when anything is missing

# The folder chosen in the folder page's tree, and the product's folder in it.
MAINJOB_CHOSEN='C:\Program Files'
MAINJOB_TARGET="$MAINJOB_CHOSEN\Lumbrix 2008"

_mainjob_winpath() { "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# Saved screenshots become PNG files where ImageMagick is installed.
_mainjob_shot() {
  local bmp="$1"
  if command -v convert >/dev/null 2>&1 && convert "$bmp" "${bmp%.bmp}.png"; then
    rm -f "$bmp"
    echo "${bmp%.bmp}.png"
  else
    echo "$bmp"
  fi
}

mainjob_walk() {
  local media="$1" wizdrive="$2" screens="$3" logs="$4"
  local n=0 line pid status shots
  rm -rf "$screens"
  mkdir -p "$screens" "$logs"
  shots="$(_mainjob_winpath "$screens")"
  # Every Windows program's output goes to a file: Wine's desktop process,
  # started by the first program that needs it, inherits its output and
  # would hold a pipe open after that program has ended.
  _mainjob_drive() {
    local rc=0
    "$WINE" "$wizdrive" "$@" >"$logs/drive.out" 2>&1 || rc=$?
    tr -d '\r' <"$logs/drive.out"
    return $rc
  }
  _mainjob_failed() {
    echo "== walking the wizard failed: $1" >&2
    tr -d '\r' <"$logs/install.log" >&2
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    return 1
  }
  # Waits for the page (or, with a click, clicks forward and waits for the
  # next page in the same call, so that a short page is caught however
  # quickly it passes), saves what the screen shows of the wizard's window
  # (the cut-away corners show the empty desktop) and says so.
  _mainjob_page() {
    local name="$1" seconds="$2" how="$3" file
    n=$((n + 1))
    if [ "$how" = click ] || [ "$how" = select-folder ]; then
      [ "$how" = click ] && how=forward
      line="$(_mainjob_drive click "$how" --then-wait "$name" "$seconds" --shot "$shots\\$n-$name.bmp")" || return 1
    else
      line="$(_mainjob_drive wait "$name" "$seconds" --shot "$shots\\$n-$name.bmp")" || return 1
    fi
    file="$(_mainjob_shot "$screens/$n-$name.bmp")"
    echo "   $line  (screenshot ${file##*/})"
  }

  # The tree opens on the desktop. Keys posted to the tree's rows walk down
  # to the computer (no folder: the edit empties), open it, walk down to the
  # drive, open it and walk down to the folder, the edit telling each time
  # where the selection is.
  _mainjob_until() {
    line="$(_mainjob_drive keys --to TElTreeView --until-edit "$1" --max 40 down)" || return 1
    echo "   keys: down until the edit reads '$1'"
  }
  _mainjob_open() { line="$(_mainjob_drive keys --to TElTreeView right)" && echo "   keys: right (open)"; }
  _mainjob_choose() {
    _mainjob_until '' && _mainjob_open && _mainjob_until "${MAINJOB_CHOSEN%%\\*}\\Lumbrix 2008" &&
      _mainjob_open && _mainjob_until "$MAINJOB_TARGET"
  }

  ( cd "$media" && exec "$WINE" install.exe ) >"$logs/install.log" 2>&1 &
  pid=$!
  echo "== walking the wizard on $DISPLAY with posted clicks (page, host's left top width height)"
  _mainjob_page Welcome 180 wait || { _mainjob_failed "no Welcome page: $line"; return 1; }
  _mainjob_page Licence 120 click || { _mainjob_failed "no Licence page after Welcome: $line"; return 1; }
  _mainjob_page Ready 120 click || { _mainjob_failed "no Ready page after Licence: $line"; return 1; }
  _mainjob_page Folder 120 select-folder || { _mainjob_failed "no folder page after Ready: $line"; return 1; }
  _mainjob_choose || { _mainjob_failed "the keys did not reach $MAINJOB_CHOSEN in the tree: $line"; return 1; }
  _mainjob_page Folder 30 wait || { _mainjob_failed "the folder page is gone: $line"; return 1; }
  _mainjob_page Installing 120 click || { _mainjob_failed "no Installing page after the folder page: $line"; return 1; }
  _mainjob_page Finish 900 wait || { _mainjob_failed "no Finish page after Installing: $line"; return 1; }
  _mainjob_drive click forward >/dev/null || { _mainjob_failed "no forward button on Finish"; return 1; }
  status=0
  wait "$pid" || status=$?
  echo "== install.exe ended with status $status; screenshots in $screens/"
  [ "$status" -eq 0 ]
}

# A key's values as reg lists them (in the OEM code page), and reg's status.
_mainjob_query() {
  local out rc=0
  out="$("$WINE" reg query "$1" 2>/dev/null)" || rc=$?
  printf '%s\n' "$out" | iconv -f cp866 -t utf-8 | tr -d '\r' | sed '/^$/d'
  return $rc
}

mainjob_report() {
  local tree="${1:-}" target missing=() keys=() listed=() key value f lnk i
  target="$("$WINE" winepath -u "$MAINJOB_TARGET" 2>/dev/null | tr -d '\r')"
  echo "== product folder $MAINJOB_TARGET: $(find "$target" -type f 2>/dev/null | wc -l) files"
  ls "$target" 2>/dev/null || true
  # Each key is read once (a Wine process is slow to start in the emulated
  # machine), listed, and checked from that listing.
  echo "== registry"
  keys=('HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumbrix 2008'
        'HKLM\Software\Kestrum\Lumbrix 2008' 'HKCR\.qzarc' 'HKCR\Kestrum.Archive\DefaultIcon')
  for i in "${!keys[@]}"; do
    listed[i]="$(_mainjob_query "${keys[i]}")" || listed[i]=""
    if [ -n "${listed[i]}" ]; then printf '%s\n' "${listed[i]}"; else echo "${keys[i]}: missing"; fi
  done
  echo "== shortcuts"
  find "$WINEPREFIX/drive_c" -name '*.lnk' \( -path '*Kestrum*' -o -path '*Desktop*' \) 2>/dev/null |
    sed "s|$WINEPREFIX/drive_c|C:|"
  [ -n "$tree" ] || return 0

  # Every file of the payload, with its content, and the list of installed files.
  while IFS= read -r -d '' f; do
    cmp -s "$tree/$f" "$target/$f" || missing+=("file $f")
  done < <(cd "$tree" && find . -type f -printf '%P\0')
  [ -s "$target/uninstall.lst" ] || missing+=("file uninstall.lst")
  for value in DisplayIcon DisplayName DisplayVersion Publisher UninstallString URLInfoAbout; do
    grep -qE "^ *$value +REG_SZ +[^ ]" <<<"${listed[0]}" || missing+=("uninstall value $value")
  done
  grep -qE "^ *Lumbrix2008Path +REG_SZ +$(sed 's/[][\\.*^$()+?{}|]/\\&/g' <<<"$MAINJOB_TARGET")\\\\?$" <<<"${listed[1]}" ||
    missing+=("value Lumbrix2008Path naming the product folder")
  grep -qE 'REG_SZ +Kestrum\.Archive$' <<<"${listed[2]}" || missing+=("association .qzarc")
  grep -qE 'REG_SZ +[^ ]' <<<"${listed[3]}" || missing+=("association icon")
  for lnk in 'Kestrum/Lumbrix 2008/Лумбрикс 2008.lnk' 'Kestrum/Lumbrix 2008/Удалить Лумбрикс 2008.lnk' \
             'Kestrum/Lumbrix 2008/Учебник Лумбрикса.lnk' 'Desktop/Лумбрикс 2008.lnk'; do
    [ -n "$(find "$WINEPREFIX/drive_c" -path "*/$lnk" -type f -size +0 2>/dev/null)" ] ||
      missing+=("shortcut ${lnk//\//\\}")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== the install is incomplete:" >&2
    printf '   missing: %s\n' "${missing[@]}" >&2
    return 1
  fi
  echo "== the install is complete: every payload file, the registry values and the four shortcuts"
}
