#!/usr/bin/env bash
# Installs what is missing, builds only what a first look needs (the two library builds, the
# machine, vtrctl, the utility and their program folders; not the tests), shows the wireless
# adapter of the default simulated machine, and says how to start the utility.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vtrctl radiodesk radiodesk_program_files
build/default/bin/vtrctl status
cat <<'TEXT'

The utility is built. Start it with

    build/default/bin/radiodesk

It opens its window and sits in the notification area; it joins the default profile by itself
(add one with `build/default/bin/vtrctl profile add --help`). Without a desktop, run it with
QT_QPA_PLATFORM=offscreen. The Vista build runs from build/default/bin-vista.
See docs/utility.md.
TEXT
