#!/usr/bin/env bash
# Set-up, build, and the main job: the demo payload packed and checked.
set -eu
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh
build/packer/vornpack verify build/windows/package/package.bin --payload build/windows/payload
