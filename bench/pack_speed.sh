#!/usr/bin/env bash
# Packing speed: wall and CPU seconds (medians of RUNS, default 5) of one
# packer command on the large test payload (the demo payload with 1.3 MB of
# seeded random text as vorn.hlp, made as the build makes it) and on the demo
# payload, with the size of what the command writes.
#   bench/pack_speed.sh BUILD [RUNS [WORD...]]
# The words are the command to time, with PAYLOAD standing for the payload
# folder and OUT for the output file (OUT.exe: the same with .exe); by default
# the installer, from the stub beside the packer:
#   BUILD/packer/vornpack installer PAYLOAD -o OUT.exe
# e.g. the package alone: bench/pack_speed.sh build 5 build/packer/vornpack build PAYLOAD -o OUT
set -eu
build=$(cd "${1:?usage: bench/pack_speed.sh BUILD [RUNS [WORD...]]}" && pwd)
runs=${2:-5}
shift $(($# < 2 ? $# : 2))
[ $# -gt 0 ] || set -- "$build/packer/vornpack" installer PAYLOAD -o OUT.exe
source=$(cd "$(dirname "$0")/.." && pwd)
demo=$build/windows/package/payload
[ -f "$demo/vorn32.exe" ] || { echo "no demo payload in $demo (build the tree first)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -DSOURCE="$demo" -DTARGET="$work/big" -P "$source/tests/e2e/big_payload.cmake"

# One timed run of the command on payload $1, writing $2 (or $2.exe for
# OUT.exe, and so on; the name goes to out): sets wall and cpu
# (user + system) in milliseconds. On a shared machine the CPU time is the
# steadier figure; the wall time is what a user waits.
run_once() {
  local words=() w
  for w in "${command[@]}"; do
    case $w in PAYLOAD) words+=("$1") ;; OUT*) out=$2${w#OUT} words+=("$out") ;; *) words+=("$w") ;; esac
  done
  local TIMEFORMAT='%3R %3U %3S' timing user sys
  if ! timing=$({ time "${words[@]}" >"$work/log" 2>&1; } 2>&1); then
    cat "$work/log" >&2
    echo "failed: ${words[*]}" >&2
    exit 1
  fi
  read -r wall user sys <<<"$timing"
  wall=$(ms "$wall") cpu=$(($(ms "$user") + $(ms "$sys")))
}
ms() { local s=${1/./}; echo $((10#$s)); }
sec() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }
median() { local sorted=($(printf '%s\n' "$@" | sort -n)); echo "${sorted[$((${#sorted[@]} / 2))]}"; }

command=("$@") out=
echo "command: ${command[*]}"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
printf '%-8s %10s %10s %10s %10s   %s\n' payload "wall (s)" "min wall" "cpu (s)" bytes "wall of each run"
for name in big demo; do
  payload=$work/big
  [ $name = demo ] && payload=$demo
  walls=() cpus=()
  for ((i = 0; i < runs; i++)); do
    rm -f "$work"/out*
    run_once "$payload" "$work/out"
    walls+=("$wall") cpus+=("$cpu")
  done
  all=""
  for t in "${walls[@]}"; do all+="$(sec "$t") "; done
  printf '%-8s %10s %10s %10s %10s   %s\n' $name "$(sec "$(median "${walls[@]}")")" \
    "$(sec "$(printf '%s\n' "${walls[@]}" | sort -n | head -1)")" "$(sec "$(median "${cpus[@]}")")" \
    "$(if [ -n "$out" ]; then stat -c %s "$out"; else echo -; fi)" "$all"
done
