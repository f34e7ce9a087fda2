#!/usr/bin/env bash
# Where the installer stub's bytes go (a benchmark-style report, not a test):
# the stub's size (the installer's code and resources with an empty package
# slot, the same for every package), the demo installer made from it and the
# package it carries, the file bytes of each of the stub's sections, and the
# largest contributors to the code and data by input object, read from the
# link map the build writes beside the stub.
#   bench/stub_size.sh [BUILD_DIR [TREE]]      default: build windows
set -eu
build=${1:-build}
tree=$build/${2:-windows}
exe=$tree/vornstub.exe
map=$tree/vornstub.map
installer=$tree/vornsetup.exe
for f in "$exe" "$map" "$installer"; do
  [ -f "$f" ] || { echo "stub_size: $f is missing; build first (scripts/build.sh)" >&2; exit 1; }
done
objdump=$(sed -n 's/^CMAKE_OBJDUMP:FILEPATH=//p' "$tree/CMakeCache.txt")

size=$(stat -c %s "$exe")
made=$(stat -c %s "$installer")
# The i686 stub is to stay within 36 KiB, below the smallest stub of the
# installer systems in common use (37,376 bytes).
limit=36864
awk -v exe="$exe" -v size="$size" -v installer="$installer" -v made="$made" -v limit=$limit 'BEGIN {
  printf "%s: %d bytes (%.1f KiB); the i686 stub'"'"'s limit %d bytes: %d to spare\n", exe, size, size / 1024,
    limit, limit - size
  printf "%s: %d bytes, the stub and %d for the package (rounded up to the file alignment)\n\n",
    installer, made, made - size }'

# mawk has no strtonum: hexadecimal by hand.
hex='function hex(s,   i, n) { sub(/^0x/, "", s); n = 0
  for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", tolower(substr(s, i, 1))) - 1
  return n }'

# Sections: file bytes (raw size, 512-byte units) and bytes in memory.
"$objdump" -h "$exe" | awk "$hex"'
  BEGIN { n = 0 }
  $1 ~ /^[0-9]+$/ { name[n] = $2; mem[n] = hex($3); off[n] = hex($6); n++ }
  END {
    printf "%-10s %10s %12s\n", "section", "file bytes", "memory bytes"
    printf "%-10s %10d\n", "headers", off[0]
    for (i = 0; i < n; i++) {
      # A section without file bytes (.bss) has the offset 0.
      file = 0
      if (off[i] > 0) { for (j = i + 1; j < n && off[j] == 0; j++); file = (j < n ? off[j] : '"$size"') - off[i] }
      printf "%-10s %10d %12d\n", name[i], file, mem[i]
    }
  }'

# Contributors: input sections of the output sections with file bytes, by object.
echo
printf '%-10s %8s  %s\n' "section" "bytes" "largest contributors"
awk "$hex"'
  /^Linker script and memory map/ { on = 1; next }
  !on { next }
  /^\.[a-z]/ { out = $1; next }                   # an output section
  /^ \.[^ ]+/ {                                   # an input section
    if (NF >= 4 && $2 ~ /^0x/) { add(out, $3, $4) } else { pending = 1 }
    next
  }
  pending && $1 ~ /^0x/ && NF >= 3 { add(out, $2, $3); pending = 0; next }
  { pending = 0 }
  function add(section, size, object,   n) {
    n = hex(size); if (n == 0 || section !~ /^\.(text|rdata|data|idata|edata)$/) return
    sub(/.*\//, "", object); bytes[section "\t" object] += n
  }
  END { for (k in bytes) print bytes[k] "\t" k }
' "$map" | sort -t$'\t' -k1,1nr | head -n 24 |
  awk -F'\t' '{ printf "%-10s %8d  %s\n", $2, $1, $3 }'
