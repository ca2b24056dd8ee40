#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: once plainly, once under the
# address and undefined-behaviour sanitizers, once under the thread sanitizer. A run that
# executes no test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
presets=(default asan tsan)
[ $# -gt 0 ] && presets=("$@")
for preset in "${presets[@]}"; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
