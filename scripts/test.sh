#!/usr/bin/env bash
# Set-up, build and every test: native and Windows (under Wine, headless),
# for the 32-bit tree and its 64-bit twin. Says first which Wine will run.
set -eu
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh
if why=$(VORN_WINE_DIR=$PWD/build/wine VORN_WINE_PROBE=$PWD/build/windows/tests/wine_probe.exe \
    tests/wine/run-in-wine.sh --can-run); then
  echo "32-bit Wine runs here: the i686 Wine tests run, and their _win64 twins under 64-bit Wine."
else
  echo "32-bit Wine cannot run here: $why. The i686 Wine tests report themselves skipped;"
  echo "their _win64 twins run under 64-bit Wine."
fi
cd build && ctest --output-on-failure "$@"
