#!/bin/bash
# Runs the i686 build's test programs under 32-bit Wine inside an emulated PC
# (QEMU), since the kernel of these machines refuses 32-bit code.
#
# Usage: scripts/test-i686.sh [build-dir] [ctest arguments...]
#   build-dir defaults to build/i686; ctest arguments add to (a -R replaces)
#   the default selection of programs below.
#
# Sets up the machine and builds both trees (the i686 tree packs its archives
# with the x86_64 tree's rarpack), then:
#  1. finds or builds the guest image: Debian with wine32, wine64 and a ready
#     32-bit prefix, cached outside the checkout under I686_IMAGE_CACHE
#     (default ~/.cache/lumbrix-i686) in a folder named after a hash of the
#     package list and the guest's own scripts;
#  2. boots it with the checkout and the build tree shared over 9p, the image
#     never modified;
#  3. walks the main job's wizard from the i686 media folder (build/i686/media)
#     as scripts/run.sh does, Welcome to Finish, with the screenshots saved in
#     build/i686/mainjob-screens/, and checks the files, registry values and
#     shortcuts of the install;
#  4. runs the programs four at a time through CTest under 32-bit Wine, each
#     with its CTest time limit, and ends with CTest's summary; the exit
#     status is non-zero on any failure, of the walk or of a test.
# The tests of the build itself (CTest label "host": the media folder's
# check) run on this machine before the emulated one boots, and so does the
# packing of the wizard's cancel scenario's large payload into the build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
GUEST="$ROOT/scripts/i686-guest"

BUILD="$ROOT/build/i686"
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then BUILD="$1"; shift; fi
mkdir -p "$BUILD"
BUILD="$(cd "$BUILD" && pwd)"

# The programs worth running emulated: the 32-bit facts, the engine with its
# install scenarios and the run-time binding of unrar.dll, the stand-ins, the
# uninstaller, the PNG codec, the element base (also with the visual style
# off and on), the tree's controls and item model, the folder-tree kit, the
# class library, the setup wizard's units and its end-to-end scenarios.
TESTS='^(platform_tests|engine_tests|engine_scenarios|unrar_tests|uninstaller_tests|uninsts_tests|kv4_tests|skin_tests|element_tests|element_tests_windows_versions|element_tests_theme_states|element_tree_tests|element_tree_model_tests|foldertree_tests|classlib_tests|classlib_stream_tests|classlib_graphics_tests|classlib_controls_tests|wizard_tests|wizard_scenarios)$'
PARALLEL="${I686_PARALLEL:-4}"
# The whole emulated run, boot to power-off; per-program limits are CTest's.
RUN_LIMIT="${I686_RUN_LIMIT:-3600}"

# The guest: Debian bookworm for amd64, whose kernel runs 32-bit programs.
GUEST_SUITE=bookworm
GUEST_BASE=linux-image-amd64,initramfs-tools,kmod,udev,ca-certificates
GUEST_PACKAGES=(wine wine32:i386 wine64 libwine:i386 libwine:amd64 procps locales xvfb xauth cmake)
GUEST_DISK_SIZE=8G
SCRATCH_DISK_SIZE=24G

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi

log() { echo "== $*"; }

# The host's mirror for the guest's suite, read from the machine's own apt
# sources (one-line and deb822 formats): "URI [keyring]".
apt_mirror() {
  {
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | grep -v '^[[:space:]]*#' |
      awk '$1 == "deb" {
             key = ""; i = 2
             if ($2 ~ /^\[/) {
               for (; i <= NF; i++) {
                 if ($i ~ /signed-by=/) { key = $i; sub(/.*signed-by=/, "", key); sub(/\]$/, "", key) }
                 if ($i ~ /\]$/) { i++; break }
               }
             }
             print $i, $(i + 1), key
           }'
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      awk '
        function flush() {
          if (types ~ /(^| )deb( |$)/ && enabled != "no") {
            n = split(uris, u, " "); m = split(suites, s, " ")
            for (i = 1; i <= n; i++) for (j = 1; j <= m; j++) print u[i], s[j], signed
          }
          types = uris = suites = signed = enabled = ""
        }
        /^[ \t]*$/ { flush(); next }
        /^#/ { next }
        /^Types:/ { sub(/^Types:[ \t]*/, ""); types = $0 }
        /^URIs:/ { sub(/^URIs:[ \t]*/, ""); uris = $0 }
        /^Suites:/ { sub(/^Suites:[ \t]*/, ""); suites = $0 }
        /^Signed-By:/ { sub(/^Signed-By:[ \t]*/, ""); signed = $0 }
        /^Enabled:/ { sub(/^Enabled:[ \t]*/, ""); enabled = $0 }
        END { flush() }
      ' "$f"
    done
  } | awk -v suite="$GUEST_SUITE" '$2 == suite { print $1, $3; exit }' || true
}

image_key() {
  {
    echo "format 1 $GUEST_SUITE $GUEST_BASE $GUEST_DISK_SIZE"
    printf '%s\n' "${GUEST_PACKAGES[@]}"
    cat "$GUEST/init" "$GUEST/prepare.sh"
  } | sha256sum | cut -c1-16
}

# Runs the guest with a job folder shared as "job" and the given disk
# options; its console goes to standard output.
run_guest() {
  local image="$1" job="$2" limit="$3"; shift 3
  # The software CPU (no KVM here). With -cpu max its SMAP makes every
  # 32-bit Wine process die in a guest kernel oops, hence -smap.
  timeout -k 30 "$limit" qemu-system-x86_64 -accel tcg,thread=multi -cpu max,-smap \
    -machine pc -smp 4 -m 4G \
    -nodefaults -no-reboot -display none -serial stdio \
    -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
    -append "console=ttyS0 root=/dev/vda rw init=/sbin/guest-init panic=-1 quiet" \
    -virtfs "local,path=$job,mount_tag=job,security_model=none,id=job" \
    "$@" </dev/null | sed -u 's/\r$//'
}

# Builds the guest image in a scratch folder beside the cache entry and moves
# it into place: debootstrap, Wine from the i386 and amd64 archives, the
# Russian locale, our init, then a first boot that makes the 32-bit prefix.
build_image() {
  local entry="$1" work="$1.tmp" mirror keyring
  read -r mirror keyring <<<"$(apt_mirror)"
  if [ -z "$mirror" ]; then
    echo "test-i686: no '$GUEST_SUITE' entry in the machine's apt sources to take a mirror from" >&2
    return 1
  fi
  $SUDO rm -rf "$work"
  mkdir -p "$work"
  local rootfs="$work/root"
  log "building the guest image from $mirror (once per package list)"
  $SUDO debootstrap --variant=minbase --arch=amd64 --include="$GUEST_BASE" \
    ${keyring:+--keyring="$keyring"} "$GUEST_SUITE" "$rootfs" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -20 "$work/debootstrap.log" >&2; return 1; }
  $SUDO mount -t proc proc "$rootfs/proc"
  # Two i386 maintainer scripts fail here with "Exec format error" (this
  # kernel cannot run them); they are harmless.
  if ! $SUDO chroot "$rootfs" /bin/bash -euc '
        export DEBIAN_FRONTEND=noninteractive LC_ALL=C
        dpkg --add-architecture i386
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "$@"
        sed -i "s/^# *\(ru_RU.UTF-8 UTF-8\)/\1/" /etc/locale.gen
        locale-gen >/dev/null
        apt-get clean
        rm -rf /var/lib/apt/lists/*' _ "${GUEST_PACKAGES[@]}" >"$work/packages.log" 2>&1; then
    $SUDO umount "$rootfs/proc"
    tail -20 "$work/packages.log" >&2
    return 1
  fi
  $SUDO umount "$rootfs/proc"
  $SUDO install -m 755 "$GUEST/init" "$rootfs/sbin/guest-init"
  $SUDO cp "$(ls "$rootfs"/boot/vmlinuz-* | sort -V | tail -1)" "$work/vmlinuz"
  $SUDO cp "$(ls "$rootfs"/boot/initrd.img-* | sort -V | tail -1)" "$work/initrd.img"
  $SUDO chmod 644 "$work/vmlinuz" "$work/initrd.img"
  $SUDO mke2fs -q -t ext4 -d "$rootfs" -L root "$work/root.img" "$GUEST_DISK_SIZE" >/dev/null
  $SUDO rm -rf "$rootfs"

  log "first boot: making the 32-bit Wine prefix"
  local job="$work/job"
  mkdir -p "$job"
  cp "$GUEST/prepare.sh" "$job/job"
  run_guest "$work" "$job" 1800 -drive "file=$work/root.img,if=virtio,format=raw"
  if [ "$(cat "$job/status" 2>/dev/null)" != ok ]; then
    echo "test-i686: the first boot of the new image failed" >&2
    return 1
  fi
  qemu-img convert -c -O qcow2 -o compression_type=zstd "$work/root.img" "$work/root.qcow2"
  rm -rf "$work/root.img" "$job"
  mv "$work" "$entry"
}

# The cached image for the current package list, built when missing. One
# builder at a time; the others wait for it and use its result.
ensure_image() {
  local cache="${I686_IMAGE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lumbrix-i686}"
  IMAGE="$cache/image-$(image_key)"
  mkdir -p "$cache"
  exec 8>"$cache/.lock"
  flock 8
  if [ ! -f "$IMAGE/root.qcow2" ]; then
    local start=$SECONDS
    build_image "$IMAGE"
    log "guest image built in $((SECONDS - start)) s: $IMAGE ($(du -sh "$IMAGE" | cut -f1))"
  fi
  flock -u 8
  exec 8>&-
}

main() {
  "$ROOT/scripts/setup.sh"
  BUILD_DIR_I686="$BUILD" "$ROOT/scripts/build.sh" x86_64 i686
  local host_status=0
  log "checking the i686 build on this machine"
  ctest --test-dir "$BUILD" -L host --output-on-failure || host_status=1
  # The wizard's cancel scenarios need a large payload, which the emulated
  # machine cannot make (no Python): packed here, into the build folder the
  # guest copies, by the x86_64 tree's rarpack.
  log "packing the large payload of the wizard's cancel scenarios"
  . "$ROOT/wizard/tests/large-payload.sh"
  large_payload_make "$BUILD/wizard/scenario-payloads" "$ROOT/scripts/wine-run.sh" \
    "${BUILD_DIR_X64:-$ROOT/build/x64}/tools/rarpack/rarpack.exe" ||
    { echo "test-i686: the large payload could not be packed" >&2; host_status=1; }
  ensure_image

  JOB="$BUILD/emulated-run"
  rm -rf "$JOB"
  mkdir -p "$JOB"
  cp "$GUEST/run-tests.sh" "$JOB/job"
  {
    printf 'I686_ROOT=%q\nI686_BUILD=%q\nI686_PARALLEL=%q\n' "$ROOT" "$BUILD" "$PARALLEL"
    printf 'I686_CTEST_ARGS=(-R %q' "$TESTS"
    [ $# -gt 0 ] && printf ' %q' "$@"
    printf ')\n'
  } >"$JOB/env"

  # The build's copy and every Wine prefix of the run go to a scratch disk of
  # their own (sparse: it takes on this machine what the run writes): the
  # image's disk has too little room for the install scenarios' prefixes
  # side by side.
  truncate -s "$SCRATCH_DISK_SIZE" "$JOB/scratch.img"
  mke2fs -q -t ext4 -F -L scratch "$JOB/scratch.img"

  log "running the i686 tests in the emulated machine ($PARALLEL at a time)"
  local start=$SECONDS
  run_guest "$IMAGE" "$JOB" "$RUN_LIMIT" \
    -drive "file=$IMAGE/root.qcow2,if=virtio,format=qcow2,snapshot=on" \
    -drive "file=$JOB/scratch.img,if=virtio,format=raw" \
    -virtfs "local,path=$ROOT,mount_tag=src,security_model=none,readonly=on,id=src" \
    -virtfs "local,path=$BUILD,mount_tag=build,security_model=none,readonly=on,id=build" |
    tee "$JOB/console.log" || true
  rm -f "$JOB/scratch.img"
  local status
  status="$(cat "$JOB/status" 2>/dev/null || true)"
  log "emulated run: $((SECONDS - start)) s from boot to power-off; CTest's log: ${JOB#$ROOT/}/LastTest.log"
  if [ -z "$status" ]; then
    echo "test-i686: the emulated machine ended without a test result (limit ${RUN_LIMIT} s)" >&2
    echo "i686: 0 passed, 1 failed"
    exit 1
  fi
  # The walk's screenshots, as PNG files beside the build.
  local screens="$BUILD/mainjob-screens" shot walk
  rm -rf "$screens"
  mkdir -p "$screens"
  for shot in "$JOB"/mainjob-screens/*.bmp; do
    [ -f "$shot" ] && convert "$shot" "$screens/$(basename "${shot%.bmp}").png"
  done
  walk="$(cat "$JOB/mainjob-status" 2>/dev/null || true)"
  if [ "$walk" = 0 ]; then
    log "main job walked on the i686 media folder; screenshots in ${screens#$ROOT/}/"
  else
    echo "test-i686: the main job's walk on the i686 media folder failed (see above)" >&2
  fi
  # CTest's summary again as the plain closing line.
  local summary
  summary="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$JOB/console.log" | tail -1 || true)"
  if [[ "$summary" =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    echo "i686: $((BASH_REMATCH[2] - BASH_REMATCH[1])) passed, ${BASH_REMATCH[1]} failed"
  fi
  [ "$walk" = 0 ] && [ "$host_status" = 0 ] || exit 1
  exit "$status"
}

main "$@"
