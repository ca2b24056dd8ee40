#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: once plainly, once under the
# address and undefined-behaviour sanitizers, once under the thread sanitizer; then every fuzz
# target for a bounded time. A run that executes no test fails.
#
#   tools/check.sh            everything
#   tools/check.sh PRESET...  only these test presets (default, asan, tsan), no fuzzing
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
presets=(default asan tsan)
fuzz=yes
if [ $# -gt 0 ]; then
  presets=("$@")
  fuzz=no
fi
for preset in "${presets[@]}"; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  # A failed test runs once more and fails the run only when it fails again; its first failure
  # stays in the log. Some utility tests still race a worker against the window under load.
  ctest --preset "$preset" -j2 --repeat until-pass:2
done
if [ "$fuzz" = yes ]; then
  echo "== fuzz"
  tools/fuzz.sh 15
fi
