#!/bin/sh
# Starts an installed Radiodesk. Two program folders are installed side by side, each with its
# own adapter library: bin/ for Windows 2000/XP machines, bin-vista/ for Windows Vista machines.
# The folder follows the machine's Windows version; RADIODESK_BUILD=xp|vista chooses it instead.
# On Windows the profile store lies beside the program; the installed folders belong to root, so
# the store goes to the user's data folder unless RADIODESK_PROFILE_DIR names another.
set -eu
here=$(dirname "$(readlink -f "$0")")
programs="$here/../lib/radiodesk"
name=$(basename "$0")

machine_dir() {
  for arg in "$@"; do
    if [ "${next:-}" = yes ]; then printf '%s\n' "$arg"; return; fi
    [ "$arg" = --machine ] && next=yes
  done
  printf '%s\n' "${RADIODESK_MACHINE:-${XDG_STATE_HOME:-$HOME/.local/state}/radiodesk/machine}"
}

windows_major() {
  sed -n 's/.*"os"[^}]*"major": *\([0-9][0-9]*\).*/\1/p' "$1/machine.json" 2>/dev/null | head -n 1
}

build=${RADIODESK_BUILD:-}
if [ -z "$build" ]; then
  major=$(windows_major "$(machine_dir "$@")")
  build=xp
  [ "${major:-5}" -ge 6 ] && build=vista
fi
case "$build" in
  xp) folder="$programs/bin" ;;
  vista) folder="$programs/bin-vista" ;;
  *) echo "$name: RADIODESK_BUILD must be xp or vista, not '$build'" >&2; exit 2 ;;
esac

if [ -z "${RADIODESK_PROFILE_DIR:-}" ]; then
  RADIODESK_PROFILE_DIR="${XDG_DATA_HOME:-$HOME/.local/share}/radiodesk"
  mkdir -p -m 700 "$RADIODESK_PROFILE_DIR"
  export RADIODESK_PROFILE_DIR
fi
exec "$folder/$name" "$@"
