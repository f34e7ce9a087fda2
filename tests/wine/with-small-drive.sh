#!/usr/bin/env bash
# Runs a Wine test program with two small drives for the full-disk cases,
# each a tmpfs mapped in the prefix's dosdevices: R: with 1 MiB of room
# (VORN_SMALL_DRIVE) and S: with room for data but for only a few entries
# (VORN_INODE_DRIVE). Both are unmounted whatever happens. Where mounting is
# refused, the program runs without them and those cases report themselves
# skipped.
#   with-small-drive.sh PROGRAM.exe [ARGS...]
set -u
root=${VORN_WINE_DIR:?VORN_WINE_DIR names the folder for the Wine prefix}
here=$(cd "$(dirname "$0")" && pwd)
drives="r:small-drive:size=1m:VORN_SMALL_DRIVE s:inode-drive:size=1m,nr_inodes=16:VORN_INODE_DRIVE"
cleanup() {
  for d in $drives; do
    IFS=: read -r letter name options variable <<<"$d"
    rm -f "$root/prefix/dosdevices/$letter:"
    mountpoint -q "$root/$name" && umount "$root/$name"
    rmdir "$root/$name" 2>/dev/null
  done
}
trap cleanup EXIT
cleanup
mkdir -p "$root/prefix/dosdevices"
for d in $drives; do
  IFS=: read -r letter name options variable <<<"$d"
  mkdir -p "$root/$name"
  if mount -t tmpfs -o "$options" tmpfs "$root/$name" 2>/dev/null; then
    ln -sfn "$root/$name" "$root/prefix/dosdevices/$letter:"
    export "$variable=${letter^^}:"
  else
    echo "with-small-drive: cannot mount a tmpfs here; the full-disk cases skip" >&2
  fi
done
"$here/run-in-wine.sh" "$@"
