#!/usr/bin/env bash
# Runs a Wine test program with a 1 MiB drive R: (a tmpfs mapped in the
# prefix's dosdevices) for the full-disk cases, and unmounts it whatever
# happens. Where mounting is refused, the program runs without the drive and
# those cases report themselves skipped.
#   with-small-drive.sh PROGRAM.exe [ARGS...]
set -u
root=${VORN_WINE_DIR:?VORN_WINE_DIR names the folder for the Wine prefix}
here=$(cd "$(dirname "$0")" && pwd)
mnt=$root/small-drive
link=$root/prefix/dosdevices/r:
cleanup() {
  rm -f "$link"
  mountpoint -q "$mnt" && umount "$mnt"
  rmdir "$mnt" 2>/dev/null
}
trap cleanup EXIT
cleanup
mkdir -p "$mnt" "$root/prefix/dosdevices"
if mount -t tmpfs -o size=1m tmpfs "$mnt" 2>/dev/null; then
  ln -sfn "$mnt" "$link"
  export VORN_SMALL_DRIVE=R:
else
  echo "with-small-drive: cannot mount a tmpfs here; the full-disk cases skip" >&2
fi
"$here/run-in-wine.sh" "$@"
