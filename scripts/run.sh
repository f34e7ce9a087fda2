#!/usr/bin/env bash
# Set-up, build, and the main job: the installer built from the demo payload
# and run under Wine (on the display when there is one, otherwise headless
# through a complete installation with a screenshot of every page).
set -eu
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh
scripts/run-installer.sh
