#!/usr/bin/env bash
# Packs a payload folder with vornpack and prints each member's packed size
# beside gzip -9 of the same file, with the totals.
#   bench/package_size.sh VORNPACK PAYLOAD_DIR
set -eu
vornpack=$1 payload=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$vornpack" build "$payload" -o "$out/package.bin" >"$out/table"
printf '%-14s %10s %10s %10s\n' member size vornpack "gzip -9"
gz_total=0
while read -r index name size packed ratio; do
  gz=$(gzip -9 -c "$payload/$name" | wc -c)
  gz_total=$((gz_total + gz))
  printf '%-14s %10s %10s %10s\n' "$name" "$size" "$packed" "$gz"
done < <(grep -E '^[0-9]' "$out/table")
printf '%-14s %10s %10s %10s\n' "package" "" "$(stat -c %s "$out/package.bin")" "$gz_total"
