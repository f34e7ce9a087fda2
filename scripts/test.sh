#!/usr/bin/env bash
# Set-up, build and every test: native and Windows (under Wine, headless).
set -eu
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh
cd build && ctest --output-on-failure "$@"
