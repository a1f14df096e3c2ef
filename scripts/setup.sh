#!/bin/bash
# Installs everything the build, the tests and the main job need on a Debian 12
# machine, then builds the cross-compiled libraries that Debian does not ship
# for MinGW. Idempotent: a second run only checks and returns.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DEPS="$ROOT/build/deps"
STAMP_PKGS="$DEPS/.packages-v5"

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi

PACKAGES=(
  wine wine64 xvfb xauth locales
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  libz-mingw-w64-dev libgcrypt-mingw-w64-dev
  googletest cmake ninja-build unar libarchive-tools imagemagick
  unicode-data libpng-tools libpng-dev libdeflate-dev python3 python3-pil fonts-dejavu-core dpkg-dev x11-apps
  qemu-system-x86 qemu-utils debootstrap e2fsprogs
)

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# A deb-src entry mirroring the machine's own deb entries, so that
# 'apt-get source' works without naming any registry host here.
ensure_deb_src() {
  if grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null; then
    return 1
  fi
  local out=/etc/apt/sources.list.d/project-deb-src.list
  {
    # One-line format.
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null \
      | sed -n 's/^deb \(.*\)$/deb-src \1/p'
    # deb822 format: every stanza of type deb becomes a deb-src line per suite.
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      awk '
        function flush() {
          if (types ~ /(^| )deb( |$)/ && uris != "" && enabled != "no") {
            n = split(suites, s, " "); m = split(uris, u, " ")
            for (j = 1; j <= m; j++) for (i = 1; i <= n; i++) {
              opt = (signed != "") ? "[signed-by=" signed "] " : ""
              print "deb-src " opt u[j] " " s[i] " " comps
            }
          }
          types = uris = suites = comps = signed = enabled = ""
        }
        /^[ \t]*$/ { flush(); next }
        /^#/ { next }
        /^Types:/ { sub(/^Types:[ \t]*/, ""); types = $0 }
        /^URIs:/ { sub(/^URIs:[ \t]*/, ""); uris = $0 }
        /^Suites:/ { sub(/^Suites:[ \t]*/, ""); suites = $0 }
        /^Components:/ { sub(/^Components:[ \t]*/, ""); comps = $0 }
        /^Signed-By:/ { sub(/^Signed-By:[ \t]*/, ""); signed = $0 }
        /^Enabled:/ { sub(/^Enabled:[ \t]*/, ""); enabled = $0 }
        END { flush() }
      ' "$f"
    done
  } | sort -u | $SUDO tee "$out" >/dev/null
  return 0
}

install_packages() {
  local need_update=0
  if ensure_deb_src; then need_update=1; fi
  local missing
  missing="$(missing_packages)"
  if [ -n "$missing" ]; then
    need_update=1
  fi
  if [ "$need_update" = 1 ]; then
    $SUDO apt-get update -qq
  fi
  if [ -n "$missing" ]; then
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
  fi
}

ensure_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
    $SUDO sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  fi
}

# Fetches a source package into the current folder: the candidate version,
# else each other version the source lists name, newest first (a security
# mirror may list a version whose files it no longer serves).
fetch_source() {
  local srcpkg="$1" version
  apt-get source -qq "$srcpkg" >/dev/null 2>&1 && return 0
  for version in $(apt-cache showsrc "$srcpkg" 2>/dev/null | sed -n 's/^Version: //p' | sort -r -V -u); do
    find . -mindepth 1 -delete
    apt-get source -qq "$srcpkg=$version" >/dev/null 2>&1 && return 0
  done
  echo "setup: cannot fetch the source package $srcpkg" >&2
  return 1
}

# Builds a Debian source package's library for one MinGW architecture with
# CMake into build/deps/<arch>/<name>, once.
build_cross_cmake_lib() {
  local arch="$1" srcpkg="$2" name="$3"; shift 3
  local prefix="$DEPS/$arch/$name"
  [ -f "$prefix/.done" ] && return 0
  local work="$DEPS/src-$arch-$name"
  rm -rf "$work" "$prefix"
  mkdir -p "$work"
  (cd "$work" && fetch_source "$srcpkg")
  local src
  src="$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)"
  cmake -S "$src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
  cmake --build "$work/build" >/dev/null
  cmake --install "$work/build" >/dev/null
  rm -rf "$work"
  touch "$prefix/.done"
}

mkdir -p "$DEPS"
if [ ! -f "$STAMP_PKGS" ] || [ -n "$(missing_packages)" ]; then
  install_packages
  ensure_locale
  touch "$STAMP_PKGS"
fi
ensure_locale

for arch in x86_64 i686; do
  build_cross_cmake_lib "$arch" libjpeg-turbo libjpeg \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF -Wno-dev
done

# libdeflate's decompressor (zlib format), static, for the PNG codec's
# one-call inflate of a whole image. Its own makefile recognises MinGW; only
# the library is built, and installed by hand (the makefile names it
# libdeflatestatic.lib there).
build_cross_libdeflate() {
  local arch="$1"
  local prefix="$DEPS/$arch/libdeflate"
  [ -f "$prefix/.done" ] && return 0
  local work="$DEPS/src-$arch-libdeflate"
  rm -rf "$work" "$prefix"
  mkdir -p "$work"
  (cd "$work" && fetch_source libdeflate)
  local src
  src="$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)"
  make -C "$src" -s CC="$arch-w64-mingw32-gcc-posix" AR="$arch-w64-mingw32-ar" \
    DECOMPRESSION_ONLY=1 DISABLE_GZIP=1 libdeflatestatic.lib >/dev/null
  mkdir -p "$prefix/lib" "$prefix/include"
  cp "$src/libdeflatestatic.lib" "$prefix/lib/libdeflate.a"
  cp "$src/libdeflate.h" "$prefix/include/"
  rm -rf "$work"
  touch "$prefix/.done"
}
for arch in x86_64 i686; do
  build_cross_libdeflate "$arch"
done

# libpng for the PNG benchmark, static, over the MinGW zlib.
for arch in x86_64 i686; do
  build_cross_cmake_lib "$arch" libpng1.6 libpng \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_LIBRARY="/usr/$arch-w64-mingw32/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="/usr/$arch-w64-mingw32/include" -Wno-dev
done

# libspng for the PNG benchmark, static, over the MinGW zlib. One C file,
# compiled by hand as its CMake release build would (that CMake file cannot
# make the static library alone). Its SSE2 paths on x86_64; off for i686,
# whose programs must run on processors without SSE2.
build_cross_libspng() {
  local arch="$1"
  local prefix="$DEPS/$arch/libspng"
  [ -f "$prefix/.done" ] && return 0
  local work="$DEPS/src-$arch-libspng"
  rm -rf "$work" "$prefix"
  mkdir -p "$work"
  (cd "$work" && fetch_source libspng)
  local src
  src="$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)"
  local opt=
  [ "$arch" = i686 ] && opt=-DSPNG_DISABLE_OPT
  "$arch-w64-mingw32-gcc-posix" -std=c99 -O3 -DNDEBUG -DSPNG_STATIC $opt \
    -I"/usr/$arch-w64-mingw32/include" -c "$src/spng/spng.c" -o "$work/spng.o"
  mkdir -p "$prefix/lib" "$prefix/include"
  "$arch-w64-mingw32-ar" rcs "$prefix/lib/libspng.a" "$work/spng.o"
  cp "$src/spng/spng.h" "$prefix/include/"
  rm -rf "$work"
  touch "$prefix/.done"
}
for arch in x86_64 i686; do
  build_cross_libspng "$arch"
done
