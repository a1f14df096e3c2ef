#!/bin/bash
# A test run inside the emulated machine (started by its init from the job
# folder). The host's checkout is mounted read-only at its own path and the
# build tree is copied onto the machine's disk at its own path, so the paths the build
# compiled into the test programs hold. Programs are never run from the 9p
# share itself: pages mapped from it can read as zeros.
set -u
. /mnt/job/env   # I686_ROOT, I686_BUILD, I686_PARALLEL, I686_CTEST_ARGS (array)
echo "guest: $(nproc) processors, $(awk '/MemTotal/ {print int($2/1024)}' /proc/meminfo) MiB," \
  "booted in $(cut -d' ' -f1 /proc/uptime) s"

share() {  # tag, mount point, options
  mkdir -p "$2" 2>/dev/null
  mount -t 9p -o "trans=virtio,version=9p2000.L,msize=262144,$3" "$1" "$2"
}
share src "$I686_ROOT" ro || exit 1
share build /mnt/build ro || exit 1
# The copy lives on an ext4 disk (the host's scratch disk, else a throwaway
# overlay of the image), not in tmpfs: Wine keeps the hidden and system attributes in extended
# attributes, which this kernel's tmpfs does not store.
mkdir -p /var/tmp/build "$I686_BUILD" 2>/dev/null
# The host's scratch disk, when it gives one, holds the copy and the prefixes.
if [ -b /dev/vdb ]; then mount /dev/vdb /var/tmp/build || exit 1; fi
mount --bind /var/tmp/build "$I686_BUILD" || exit 1
start=$SECONDS
# Object files, libraries and the host's Wine prefixes stay behind.
tar -C /mnt/build -cf - --exclude=CMakeFiles --exclude='*.obj' --exclude='*.a' \
    --exclude='wineprefix*' --exclude='*-wineprefix' --exclude=engine-prefixes --exclude=Testing --exclude=emulated-run . |
  tar -C "$I686_BUILD" -xf - || exit 1
echo "guest: build tree copied in $((SECONDS - start)) s ($(du -sm "$I686_BUILD" | cut -f1) MiB)"

export WINE=/usr/lib/wine/wine WINEARCH=win32 WINE_PREFIX_TEMPLATE=/opt/wine-template
# The install scenarios, each in a fresh prefix, spend most of their time
# starting Wine; three at a time keep the processors busy.
export SCENARIO_JOBS=3
# Of the wizard's scenarios, which run one after another with the other
# programs on the one desktop, the main road, a close before the install, a
# cancel during the extraction and a failure. (The cancel's large payload
# comes packed with the build folder: the machine has no Python to make it.)
export WIZARD_SCENARIOS_FILTER='WizardScenario.WalkFromWelcomeToFinishInstallsTheProduct:WizardScenario.CloseEndsTheProgramOnWelcomeLicenceAndReady:By/WizardCancel.DuringExtractionRollsBackAndEnds/close_button:By/WizardFailure.ShowsTheErrorPageAndLeavesNothingOfTheInstall/DamagedPayload'
. "$I686_ROOT/scripts/wine-env.sh"

# The main job's walk of the media folder as it ships, in a fresh prefix of
# its own; the screenshots (BMP: the machine has no ImageMagick) and the
# result go to the job folder, where the host picks them up.
. "$I686_ROOT/scripts/mainjob.sh"
start=$SECONDS
wine_env_start "$I686_BUILD/mainjob-prefix"
mainjob_status=0
mainjob_walk "$I686_BUILD/media" "$I686_BUILD/wizard/wizdrive.exe" /mnt/job/mainjob-screens /mnt/job/mainjob-logs ||
  mainjob_status=1
mainjob_report "$I686_BUILD/payload/tree" || mainjob_status=1
wine_env_stop
rm -rf "$I686_BUILD/mainjob-prefix"
echo "$mainjob_status" >/mnt/job/mainjob-status
echo "guest: main job walked in $((SECONDS - start)) s, status $mainjob_status"

start=$SECONDS
wine_env_start "$I686_BUILD/wineprefix"
# Without a controlling terminal (setsid), console programs that the tests
# start write nowhere instead of onto the machine's console; through a pipe,
# CTest writes no colour codes.
setsid -w ctest --test-dir "$I686_BUILD" -j "$I686_PARALLEL" --output-on-failure \
  "${I686_CTEST_ARGS[@]}" 2>&1 | cat
status=${PIPESTATUS[0]}
wine_env_stop
echo "guest: tests run in $((SECONDS - start)) s"
cp "$I686_BUILD/Testing/Temporary/LastTest.log" /mnt/job/ 2>/dev/null
echo "$status" >/mnt/job/status
