#!/usr/bin/env bash
# Packing speed: wall seconds (median of RUNS, default 5) of one packer command
# on the large test payload (the demo payload with 1.3 MB of seeded random
# text as vorn.hlp, made as the build makes it) and on the demo payload, with
# the size of what the command writes.
#   bench/pack_speed.sh BUILD [RUNS [WORD...]]
# The words are the command to time, with PAYLOAD and OUT standing for the
# payload folder and the output file; by default
#   BUILD/packer/vornpack build PAYLOAD -o OUT
# e.g. bench/pack_speed.sh build 5 build/packer/vornpack installer PAYLOAD -o OUT
set -eu
build=$(cd "${1:?usage: bench/pack_speed.sh BUILD [RUNS [WORD...]]}" && pwd)
runs=${2:-5}
shift $(($# < 2 ? $# : 2))
[ $# -gt 0 ] || set -- "$build/packer/vornpack" build PAYLOAD -o OUT
source=$(cd "$(dirname "$0")/.." && pwd)
demo=$build/windows/package/payload
[ -f "$demo/vorn32.exe" ] || { echo "no demo payload in $demo (build the tree first)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -DSOURCE="$demo" -DTARGET="$work/big" -P "$source/tests/e2e/big_payload.cmake"

# One timed run of the command on payload $1, writing $2; prints seconds.
run_once() {
  local words=() w start end
  for w in "${command[@]}"; do
    case $w in PAYLOAD) words+=("$1") ;; OUT) words+=("$2") ;; *) words+=("$w") ;; esac
  done
  start=$(date +%s%N)
  "${words[@]}" >/dev/null
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

command=("$@")
echo "command: ${command[*]}"
printf '%-8s %8s %8s %8s %10s   %s\n' payload median min max bytes "all runs (s)"
for name in big demo; do
  payload=$work/big
  [ $name = demo ] && payload=$demo
  times=()
  for ((i = 0; i < runs; i++)); do
    rm -f "$work/out"
    times+=("$(run_once "$payload" "$work/out")")
  done
  sorted=($(printf '%s\n' "${times[@]}" | sort -n))
  sec() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }
  all=""
  for t in "${times[@]}"; do all+="$(sec "$t") "; done
  printf '%-8s %8s %8s %8s %10s   %s\n' $name "$(sec "${sorted[$((runs / 2))]}")" "$(sec "${sorted[0]}")" \
    "$(sec "${sorted[$((runs - 1))]}")" "$(stat -c %s "$work/out")" "$all"
done
