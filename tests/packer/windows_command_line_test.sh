#!/usr/bin/env bash
# vornpack.exe under Wine with Windows paths (drive letters, backslashes,
# folders with spaces): it packs the payload into the same bytes as the
# native packer, a member packed and unpacked comes back byte for byte,
# verify finds the package and the installer sound, extract gives back the
# payload into folders written every way Windows allows; every bad input
# gets one line "vornpack: <file>: <reason>", exit 1 and no output file, and
# a link planted at a name the writers once used is never followed. Where
# the tree's programs cannot run here (32-bit Wine on a 64-bit-only kernel),
# the first run exits 77 and so does this test: ctest reports it skipped.
#   windows_command_line_test.sh RUN_IN_WINE VORNPACK_EXE NATIVE_VORNPACK PAYLOAD PACKAGE INSTALLER STUB PRODUCT_TREE
set -u
run=$1 exe=$2 native=$3 payload=$4 package=$5 installer=$6 stub=$7 product=$8
root=${VORN_WINE_DIR:?VORN_WINE_DIR names the folder for the Wine prefix}
work="$root/prefix/drive_c/vornpack test"  # C:\vornpack test
win='C:\vornpack test'
out=$root/vornpack-exe-output
failures=0

fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# vp ARGS...: vornpack.exe under Wine; its exit status in $status, its
# output (line ends made Unix ones) in $out.stdout and $out.stderr.
vp() {
  "$run" "${vp_exe:-$exe}" "$@" >"$out.stdout" 2>"$out.stderr"
  status=$?
  [ $status = 77 ] && { cat "$out.stdout"; exit 77; }
  sed -i 's/\r$//' "$out.stdout" "$out.stderr"
}

# ok CASE ARGS...: the run must succeed.
ok() {
  local case=$1; shift
  vp "$@"
  if [ $status = 0 ]; then echo "ok   $case"; else fail "$case: exit $status: $(cat "$out.stderr")"; fi
}

# refused CASE TEXT UNIX_OUTPUT ARGS...: exit 1, exactly one line on standard
# error, "vornpack: " and TEXT in it, and neither UNIX_OUTPUT nor a temporary
# beside it afterwards.
refused() {
  local case=$1 text=$2 output=$3; shift 3
  vp "$@"
  local lines left
  lines=$(wc -l <"$out.stderr")
  left=$(ls -A "$(dirname "$output")" 2>/dev/null | grep -F -e "$(basename "$output")" | tr '\n' ' ')
  if [ $status != 1 ] || [ "$lines" != 1 ] || ! grep -q '^vornpack: ' "$out.stderr" ||
     ! grep -qF -- "$text" "$out.stderr" || [ -n "$left" ]; then
    fail "$case: exit $status, left '$left', error: $(cat "$out.stderr")"
  else
    echo "ok   $case: $(cat "$out.stderr")"
  fi
}

# same CASE FILE1 FILE2: byte for byte.
same() {
  if cmp -s "$2" "$3"; then echo "ok   $1"; else fail "$1: $2 and $3 differ"; fi
}

# same_as_payload CASE FOLDER: the folder holds the ten payload files exactly.
same_as_payload() {
  local names
  names=$(ls -A "$2" 2>/dev/null | tr '\n' ' ')
  if [ "$names" != "$(ls -A "$payload" | tr '\n' ' ')" ]; then
    fail "$1: the folder holds '$names'"; return
  fi
  for f in "$payload"/*; do
    cmp -s "$f" "$2/$(basename "$f")" || { fail "$1: $(basename "$f") differs"; return; }
  done
  echo "ok   $1"
}

# A read-only drive Q: for the output that cannot be written (root only).
ro=$root/vornpack-read-only
cleanup() {
  rm -f "$root/prefix/dosdevices/q:"
  mountpoint -q "$ro" && umount "$ro"
  rmdir "$ro" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

# The first run creates the prefix (or exits 77 where it cannot run).
vp --help
rm -rf "$work"
mkdir -p "$work/payload" "$work/out dir"
cp "$payload"/* "$work/payload/"

# The same bytes as the native packer, from a drive letter into a folder with a space.
ok "build" build "$win\\payload" -o "$win\\out dir\\package.bin" --header "$win\\out dir\\package_crc.h"
same "build gives the native package" "$package" "$work/out dir/package.bin"
"$native" build "$payload" -o "$out.native.bin" --header "$out.native_crc.h" >/dev/null
same "the CRC header is the native one" "$out.native_crc.h" "$work/out dir/package_crc.h"
rm -f "$out.native.bin" "$out.native_crc.h"

# One member through pack-member and unpack-member, forward slashes too.
ok "pack-member" pack-member "$win\\payload\\vorn32.exe" "C:/vornpack test/out dir/client.member"
"$native" pack-member "$payload/vorn32.exe" "$out.member"
same "pack-member gives the native stream" "$out.member" "$work/out dir/client.member"
rm -f "$out.member"
ok "unpack-member" unpack-member "$win\\out dir\\client.member" "$win\\out dir\\client.exe"
same "the member comes back" "$payload/vorn32.exe" "$work/out dir/client.exe"

# verify takes Windows paths.
ok "verify the package" verify "$win\\out dir\\package.bin" --payload "$win\\payload\\"
grep -q ': sound$' "$out.stdout" || fail "verify the package: not called sound"
cp "$installer" "$work/out dir/vornsetup.exe"
ok "verify the installer" verify "$win\\out dir\\vornsetup.exe" --payload "$win\\payload"
grep -q 'the CRC matches the one the installer carries' "$out.stdout" || fail "verify the installer: no carried CRC"

# extract into folders it creates, written every way Windows allows.
for folder in 'x\new dir\' 'x\\double\\\\sep' 'x/forward/slashes/' 'x\dot\.' 'x\up\..\over'; do
  ok "extract into $folder" extract "$win\\out dir\\vornsetup.exe" "$win\\$folder"
done
same_as_payload "extract: trailing backslash" "$work/x/new dir"
same_as_payload "extract: doubled backslashes" "$work/x/double/sep"
same_as_payload "extract: forward slashes" "$work/x/forward/slashes"
same_as_payload "extract: a dot" "$work/x/dot"
same_as_payload "extract: two dots" "$work/x/over"
ok "extract to a drive's relative path" extract "$win\\out dir\\package.bin" 'C:vornpack test\x\relative'
same_as_payload "extract: relative to the drive" "$work/x/relative"

# An existing file is replaced only with --force.
mkdir -p "$work/x/existing"
echo changed >"$work/x/existing/vorn.ini"
refused "extract over an existing file" 'existing\vorn.ini: already exists, not replaced' "$work/x/existing/.none" \
  extract "$win\\out dir\\package.bin" "$win\\x\\existing"
[ "$(ls -A "$work/x/existing")" = vorn.ini ] && [ "$(cat "$work/x/existing/vorn.ini")" = changed ] ||
  fail "a refused extract wrote something: $(ls -A "$work/x/existing")"
ok "extract with --force" extract "$win\\out dir\\package.bin" "$win\\x\\existing" --force
same_as_payload "extract with --force gives the payload" "$work/x/existing"

# Links planted at the names the writers once used are not followed.
echo "the victim's bytes" >"$work/victim"
ln -s "$work/victim" "$work/out dir/again.bin.partial"
ln -s "$work/victim" "$work/out dir/again.exe.partial"
ok "build past a planted link" build "$win\\payload" -o "$win\\out dir\\again.bin"
ok "unpack-member past a planted link" unpack-member "$win\\out dir\\client.member" "$win\\out dir\\again.exe"
[ "$(cat "$work/victim")" = "the victim's bytes" ] || fail "a planted link was followed"
same "the package written past a planted link" "$package" "$work/out dir/again.bin"

# Bad inputs.
mkdir -p "$work/bad"
cp "$payload"/* "$work/bad/"
rm "$work/bad/urls.ini"
refused "a member missing" 'C:\vornpack test\bad\urls.ini: cannot open' "$work/out dir/bad.bin" \
  build "$win\\bad" -o "$win\\out dir\\bad.bin"
mkdir "$work/bad/urls.ini"
refused "a member that is a folder" 'C:\vornpack test\bad\urls.ini: is a folder, not a file' "$work/out dir/bad.bin" \
  build "$win\\bad" -o "$win\\out dir\\bad.bin"
rmdir "$work/bad/urls.ini"
printf '\265\306\302\275\231\113\214' >"$work/bad/urls.ini"
refused "a member no coding can pack" 'C:\vornpack test\bad\urls.ini: cannot be packed' "$work/out dir/bad.bin" \
  build "$win\\bad" -o "$win\\out dir\\bad.bin"
refused "an output in a missing folder" 'C:\vornpack test\no such\bad.bin: cannot create a temporary file' \
  "$work/no such/bad.bin" build "$win\\payload" -o "$win\\no such\\bad.bin"
head -c 100 "$payload/readme.txt" >"$work/bad/cut.member"
refused "unpack a member that declares too much" 'cut.member: not a decodable member stream: declares' \
  "$work/out dir/cut.exe" unpack-member "$win\\bad\\cut.member" "$win\\out dir\\cut.exe"
refused "verify a file without package" 'readme.txt: no package' "$work/out dir/.none" \
  verify "$win\\payload\\readme.txt"
if [ "$(id -u)" = 0 ] && mkdir -p "$ro" && mount -t tmpfs -o size=64k,ro tmpfs "$ro" 2>/dev/null; then
  ln -sfn "$ro" "$root/prefix/dosdevices/q:"
  refused "an output on a read-only drive" 'Q:\package.bin: cannot create a temporary file' "$ro/package.bin" \
    build "$win\\payload" -o 'Q:\package.bin'
else
  echo "not tried: an output on a read-only drive (mounting one needs root)"
fi

# The installer command: with this tree's stub, the native packer's bytes;
# and as a maintainer runs it, vornpack.exe with the product's stub beside it
# and no --stub, on the product's payload: the installer the build made.
cp "$stub" "$work/out dir/stub.exe"
ok "installer" installer "$win\\payload" -o "$win\\out dir\\setup.exe" --stub "$win\\out dir\\stub.exe"
"$native" installer "$payload" -o "$out.setup.exe" --stub "$stub" >/dev/null
same "installer gives the native installer" "$out.setup.exe" "$work/out dir/setup.exe"
rm -f "$out.setup.exe"
mkdir -p "$work/tools" "$work/product payload"
cp "$exe" "$work/tools/vornpack.exe"
cp "$product/vornstub.exe" "$work/tools/vornstub.exe"
cp "$product/package/payload/"* "$work/product payload/"
vp_exe="$work/tools/vornpack.exe" ok "installer with the stub beside vornpack.exe" \
  installer "$win\\product payload" -o "$win\\out dir\\vornsetup.exe"
same "the product's installer, as the build made it" "$product/vornsetup.exe" "$work/out dir/vornsetup.exe"

rm -rf "$work" "$out".*
echo "$failures failed"
exit $((failures > 0))
