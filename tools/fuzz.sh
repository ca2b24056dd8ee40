#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer target for a bounded time.
#
#   tools/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS (default 20) is each target's budget; without TARGETs every fuzz/*_fuzz.cpp runs.
# FUZZ_BUILD_DIR (default build/fuzz) is the build directory. A target starts from its seeds in
# fuzz/corpus/<target>/ when there are any; what it finds is kept in <build>/corpus/<target>/,
# so later runs go on from there. The first crash stops the script with a non-zero status and
# leaves the input in <build>/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
[ $# -gt 0 ] && shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("$name")
  done
fi

build=${FUZZ_BUILD_DIR:-build/fuzz}
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}"

mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/corpus/$target" ] && seeds=("fuzz/corpus/$target")
  echo "== $target (${seconds}s)"
  "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" "$corpus" "${seeds[@]}"
done
