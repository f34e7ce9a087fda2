#!/usr/bin/env bash
# Runs a Wine test program with a CD-ROM drive S: (a folder mapped in the
# prefix's dosdevices and typed "cdrom" in the prefix's drive list), and
# removes the drive again whatever happens. The Wine server is restarted
# around the change so that the drive type is read afresh.
#   with-cd-drive.sh PROGRAM.exe [ARGS...]
set -u
root=${VORN_WINE_DIR:?VORN_WINE_DIR names the folder for the Wine prefix}
here=$(cd "$(dirname "$0")/.." && pwd)/wine
export HOME=$root/home WINEPREFIX=$root/prefix WINEARCH=win32 WINEDEBUG=-all
drive=$root/cd-drive
link=$WINEPREFIX/dosdevices/s:
set_type() {  # add or delete the drive's type, then restart the server
  if [ "$1" = add ]; then
    timeout 30 wine reg add 'HKLM\Software\Wine\Drives' /v s: /d cdrom /f >/dev/null 2>&1 9>&-
  else
    timeout 30 wine reg delete 'HKLM\Software\Wine\Drives' /v s: /f >/dev/null 2>&1 9>&-
  fi
  timeout 30 wineserver -k 2>/dev/null
}
cleanup() {
  rm -f "$link"
  set_type delete
  rm -rf "$drive"
}
"$here/run-in-wine.sh" --setup || exit 1
trap cleanup EXIT
mkdir -p "$drive"
ln -sfn "$drive" "$link"
set_type add
VORN_CD_DRIVE=S: "$here/run-in-wine.sh" "$@"
