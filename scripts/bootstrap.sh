#!/usr/bin/env bash
# Installs what building and testing need on Debian 12; quiet when all is there.
set -eu
packages="cmake g++ make googletest libgtest-dev libbenchmark-dev gzip
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine
  xvfb xauth xdotool imagemagick x11-apps osslsigncode openssl python3-pefile"
# clang and its libFuzzer runtime only for fuzz campaigns (scripts/fuzz.sh).
[ "${VORN_FUZZ:-}" = 1 ] && packages="$packages clang libclang-rt-14-dev"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "bootstrap: installing$missing"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq $missing >/tmp/vorn-bootstrap.log 2>&1 ||
  { tail -n 30 /tmp/vorn-bootstrap.log >&2; exit 1; }
