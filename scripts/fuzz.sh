#!/usr/bin/env bash
# Fuzz campaigns: builds the libFuzzer harnesses (fuzz/) with clang, the
# address and undefined-behaviour sanitizers on, into build-fuzz/, and runs
# each target given (all four by default) for SECONDS (default 60) over its
# corpus in fuzz/corpus/<target>/. New inputs go to build-fuzz/corpus/<target>/,
# a broken invariant or a crash to build-fuzz/findings/<target>/.
#   scripts/fuzz.sh [SECONDS [TARGET...]]
set -eu
cd "$(dirname "$0")/.."
VORN_FUZZ=1 scripts/bootstrap.sh
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-stub_writer package_reader member_decoder marker_scan}
cmake -S . -B build-fuzz -DVORN_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >build-fuzz-configure.log 2>&1 || { cat build-fuzz-configure.log >&2; exit 1; }
rm -f build-fuzz-configure.log
for target in $targets; do
  cmake --build build-fuzz --target fuzz_$target -j"$(nproc)"
  mkdir -p build-fuzz/corpus/$target build-fuzz/findings/$target
  build-fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=build-fuzz/findings/$target/ build-fuzz/corpus/$target fuzz/corpus/$target
done
