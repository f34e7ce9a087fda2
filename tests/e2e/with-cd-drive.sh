#!/usr/bin/env bash
# Runs a Wine test program with a CD-ROM drive S: (a folder mapped in the
# prefix's dosdevices and typed "cdrom" in the prefix's drive list), and
# removes the drive again whatever happens. The Wine server is restarted
# around the change so that the drive type is read afresh.
#   with-cd-drive.sh PROGRAM.exe [ARGS...]
set -u
here=$(cd "$(dirname "$0")/.." && pwd)/wine
. "$here/wine-env.sh"
drive=$root/cd-drive
link=$WINEPREFIX/dosdevices/s:
set_type() {  # add or delete the drive's type, then restart the server
  if [ "$1" = add ]; then
    timeout 30 "$loader" reg add 'HKLM\Software\Wine\Drives' /v s: /d cdrom /f >/dev/null 2>&1 9>&-
  else
    timeout 30 "$loader" reg delete 'HKLM\Software\Wine\Drives' /v s: /f >/dev/null 2>&1 9>&-
  fi
  timeout 30 "$server" -k 2>/dev/null
}
cleanup() {
  rm -f "$link"
  set_type delete
  rm -rf "$drive"
}
# Sets up the prefix, or says why this tree cannot run here (skipped).
"$here/run-in-wine.sh" --setup || exit
trap cleanup EXIT
mkdir -p "$drive"
ln -sfn "$drive" "$link"
set_type add
VORN_CD_DRIVE=S: "$here/run-in-wine.sh" "$@"
