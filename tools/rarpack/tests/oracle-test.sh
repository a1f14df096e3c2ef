#!/bin/bash
# Reads every kind of archive rarpack writes with independent native tools:
# unar/lsar (all kinds, with the password) and bsdtar (what libarchive reads:
# plain archives and volumes; of file-encrypted archives the listing, since
# it cannot decrypt RAR 5.0 data; header-encrypted ones it must recognise
# and refuse). Usage: oracle-test.sh <fixture dir>
set -u
FX="$1"
TREE="$FX/tree"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
passed=0
failed=0

check() {  # check <description> <command...>
  local what="$1"; shift
  if "$@" >"$WORK/log" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
    sed 's/^/    /' "$WORK/log" | head -20
  fi
}

# Files and folders with sizes, relative to a folder, sorted.
tree_listing() {
  (cd "$1" && find . -mindepth 1 \( -type d -printf '%P/ 0\n' \) -o \( -type f -printf '%P %s\n' \) | LC_ALL=C sort)
}

unar_extracts() {  # unar_extracts <archive> <password> <expected tree>
  local out="$WORK/unar"
  rm -rf "$out"
  unar -q -D -p "$2" -o "$out" "$1" || return 1
  mkdir -p "$out"
  diff -r "$3" "$out"
}

lsar_tests() {  # every entry's checksum verified by lsar
  lsar -t -p "$2" "$1" >"$WORK/lsar.txt" || return 1
  ! grep -q 'Failed\|Wrong' "$WORK/lsar.txt"
}

unar_refuses_wrong_password() {
  rm -rf "$WORK/wrong"
  ! unar -q -D -p wrong-password -o "$WORK/wrong" "$1"
}

bsdtar_extracts() {  # bsdtar_extracts <expected tree> <volume files...>
  local expected="$1"; shift
  local out="$WORK/bsdtar"
  rm -rf "$out" && mkdir -p "$out"
  # libarchive reads volumes as one stream.
  cat "$@" | (cd "$out" && bsdtar -xf -) || return 1
  diff -r "$expected" "$out"
}

bsdtar_lists() {  # names and sizes as the tree has them
  bsdtar -tvf "$1" | awk '{ size = $5; name = $0; for (i = 0; i < 8; i++) sub(/^[^ ]+ +/, "", name);
                           if ($1 ~ /^d/) { size = 0; if (name !~ /\/$/) name = name "/" }
                           print name, size }' | LC_ALL=C sort >"$WORK/bsd.txt"
  tree_listing "$TREE" >"$WORK/tree.txt"
  diff "$WORK/tree.txt" "$WORK/bsd.txt"
}

bsdtar_refuses_encrypted_headers() {
  ! bsdtar -tf "$1" >/dev/null 2>"$WORK/bsd.err" && grep -q 'Encryption is not supported' "$WORK/bsd.err" && cat "$WORK/bsd.err"
}

for a in plain enc hdr tweaked vol encvol; do
  case $a in vol|encvol) file="$FX/$a.part1.rar" ;; *) file="$FX/$a.rar" ;; esac
  check "unar extracts $a byte-identically" unar_extracts "$file" tulbek "$TREE"
  check "lsar verifies every checksum of $a" lsar_tests "$file" tulbek
done
check "unar extracts cyr with a Cyrillic password" unar_extracts "$FX/cyr.rar" "пароль" "$TREE"
check "unar extracts the empty archive" unar_extracts "$FX/empty.rar" "" "$FX/empty-tree"
for a in enc hdr tweaked cyr encvol; do
  case $a in encvol) file="$FX/$a.part1.rar" ;; *) file="$FX/$a.rar" ;; esac
  check "unar refuses $a with a wrong password" unar_refuses_wrong_password "$file"
done

check "bsdtar extracts plain byte-identically" bsdtar_extracts "$TREE" "$FX/plain.rar"
check "bsdtar extracts the volumes byte-identically" bsdtar_extracts "$TREE" "$FX"/vol.part1.rar "$FX"/vol.part2.rar "$FX"/vol.part3.rar
check "bsdtar extracts the empty archive" bsdtar_extracts "$FX/empty-tree" "$FX/empty.rar"
check "bsdtar lists plain" bsdtar_lists "$FX/plain.rar"
for a in enc tweaked cyr; do
  check "bsdtar lists the file-encrypted $a" bsdtar_lists "$FX/$a.rar"
done
check "bsdtar recognises hdr as header-encrypted" bsdtar_refuses_encrypted_headers "$FX/hdr.rar"

echo "rarpack oracles: $passed checks passed, $failed failed"
[ "$failed" -eq 0 ]
