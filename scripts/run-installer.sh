#!/usr/bin/env bash
# Runs the built installer under Wine (build first with scripts/build.sh).
# With a display (DISPLAY set) the installer opens there for you to use.
# Without one it runs headless under Xvfb: a driver program walks through a
# complete installation with the default options, and a screenshot of every
# page (Welcome, License, Options, Progress, Finish) is saved as PNG into
# build/screenshots/. Both use their own Wine prefix, build/wine-run, where
# the installer is copied to C:\ and installs into C:\Vorn.
# The installer is the 32-bit product; on a machine whose kernel cannot run
# 32-bit programs, its 64-bit twin runs the same way (prefix build/wine-run64).
#   scripts/run-installer.sh            BUILD=<folder> picks another build tree
set -eu
cd "$(dirname "$0")/.."
build=$PWD/${BUILD:-build}
if [ -n "${DISPLAY:-}" ]; then export VORN_OWN_DISPLAY=0; fi
. tests/wine/choose-tree.sh
choose_tree "$build" wine-run
installer=$build/$tree/vornsetup.exe
tour=$build/$tree/tests/e2e_tour.exe
payload=$build/$tree/package/payload
for f in "$installer" "$tour"; do
  [ -f "$f" ] || { echo "run-installer: $f is missing; run scripts/build.sh first" >&2; exit 1; }
done
wine_run=tests/wine/run-in-wine.sh

if [ -n "${DISPLAY:-}" ]; then
  export VORN_WINE_TIMEOUT=86400
  "$wine_run" --setup
  cp "$installer" "$VORN_WINE_DIR/prefix/drive_c/vornsetup.exe"
  rc=0
  "$wine_run" 'C:\vornsetup.exe' || rc=$?
  "$wine_run" --shutdown
  exit $rc
fi

shots=$build/screenshots
handshake=$(mktemp -d)
rm -rf "$shots"; mkdir -p "$shots"
"$wine_run" --setup
display=$(cat "$VORN_WINE_DIR/display")

# Takes a screenshot for every request the tour writes, then answers it.
(
  while :; do
    for request in "$handshake"/*.request; do
      [ -e "$request" ] || continue
      name=$(basename "$request" .request)
      DISPLAY=$display import -window root "$shots/$name.png" 2>/dev/null || true
      rm -f "$request"; touch "$handshake/$name.done"
    done
    sleep 0.05
  done
) &
taker=$!

rc=0
"$wine_run" "$tour" --installer "$installer" --payload "$payload" --shots "$handshake" || rc=$?
kill "$taker" 2>/dev/null; wait "$taker" 2>/dev/null || true
"$wine_run" --shutdown
rm -rf "$handshake"
echo "screenshots in $shots:"; ls "$shots"
exit $rc
