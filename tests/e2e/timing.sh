#!/usr/bin/env bash
# Timing of the installation under Wine (a benchmark, not a test): wall time
# from Install to the Finish page for the demo package and a ~1 MB package,
# beside the floor of the pump's 25 ms pauses. Uses the tests' Wine prefix
# (the 64-bit twin's where 32-bit programs cannot run).
#   tests/e2e/timing.sh [BUILD_DIR] [RUNS]      default: build 5
set -eu
cd "$(dirname "$0")/../.."
build=$PWD/${1:-build}
. tests/wine/choose-tree.sh
choose_tree "$build" wine
w=$build/$tree
tests/wine/run-in-wine.sh "$w/tests/e2e_timing.exe" --runs "${2:-5}" \
  --installer "$w/vornsetup.exe" --payload "$w/package/payload" \
  --big-installer "$w/tests/e2e-big/vornsetup.exe" --big-payload "$w/tests/e2e-big/payload"
