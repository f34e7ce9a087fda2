#!/usr/bin/env bash
# vornpack verify with its temporary folder ($TMPDIR) on a 16 KiB tmpfs: once
# with room for the first member's stream (7 KiB in the demo package) but not
# for its 16 KiB of decoded bytes, once full to the last byte. Each run must
# exit non-zero, name the temporary file and the fault, never call the package
# sound, and leave no temporary file behind. Mounting needs root: elsewhere
# the test says why and exits 77, which ctest reports as skipped. The tmpfs is
# unmounted whatever happens.
#   full_temp_folder_test.sh VORNPACK PACKAGE WORK
set -u
vornpack=$1 package=$2 work=$3
drive=$work/drive
skip() { echo "skipped: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "mounting a tmpfs as the temporary folder needs root"

cleanup() {
  mountpoint -q "$drive" && umount "$drive"
  rmdir "$drive" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM
mkdir -p "$work"
cleanup
mkdir -p "$drive"
mount -t tmpfs -o size=16k tmpfs "$drive" 2>"$work/mount.log" ||
  skip "cannot mount a tmpfs here: $(cat "$work/mount.log")"

failures=0
# verify CASE TEXT LEFT: the run must fail saying TEXT and "No space left on
# device", and the drive must hold only LEFT afterwards.
verify() {
  TMPDIR=$drive "$vornpack" verify "$package" >"$work/out" 2>"$work/err"
  local status=$? left
  left=$(ls -A "$drive" | tr '\n' ' ')
  if [ $status -eq 0 ] || grep -q sound "$work/out" || ! grep -qF "$2" "$work/err" ||
     ! grep -q "No space left on device" "$work/err" || [ "$left" != "$3" ]; then
    echo "FAIL $1: exit $status, left on the drive: '$left'"
    cat "$work/out" "$work/err"
    failures=$((failures + 1))
  else
    echo "ok   $1: $(cat "$work/err")"
  fi
}

verify "room for the stream, not for its decoded bytes" \
  "member 0 (vorn32.exe) not checked: cannot write the decoded bytes to the temporary file $drive/vornpack-" ""
dd if=/dev/zero of="$drive/filler" bs=4k 2>/dev/null
verify "full drive" \
  "member 0 (vorn32.exe) not checked: cannot write the member stream to the temporary file $drive/vornpack-" "filler "
exit $((failures > 0))
