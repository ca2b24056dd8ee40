#!/usr/bin/env bash
# Installs what is missing, builds, and shows the wireless adapter of the default simulated
# machine through the adapter library.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
build/default/bin/vtrctl status
