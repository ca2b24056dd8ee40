#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses it as a user would: the launcher in bin/,
# the program folder it picks for an XP and for a Vista machine, the profile store in the user's
# data folder (the installed folders are not the user's to write), the desktop entry and icons.
# usage: install_check.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
export HOME=$scratch/home XDG_STATE_HOME= XDG_DATA_HOME= RADIODESK_PROFILE_DIR= RADIODESK_BUILD=
unset XDG_STATE_HOME XDG_DATA_HOME RADIODESK_PROFILE_DIR RADIODESK_BUILD RADIODESK_MACHINE
mkdir -p "$HOME"

fail() { echo "install check: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/radiodesk bin/vtrctl share/applications/radiodesk.desktop \
            share/icons/hicolor/48x48/apps/radiodesk.png share/icons/hicolor/256x256/apps/radiodesk.png \
            lib/radiodesk/bin/radiodesk lib/radiodesk/bin-vista/radiodesk \
            lib/radiodesk/bin/Lang/United_States.lng lib/radiodesk/bin-vista/res/Logo.bmp; do
  [ -e "$prefix/$file" ] || fail "$file was not installed"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/radiodesk.desktop"
fi

[ "$("$prefix/bin/radiodesk" --version)" = "radiodesk $(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")" ] ||
  fail "radiodesk --version through the launcher"

# The launcher runs the program folder that fits the machine: a Vista machine with the XP
# folder's library would answer "not supported".
"$prefix/bin/vtrctl" machine init "$scratch/vista" --preset vista >/dev/null
"$prefix/bin/vtrctl" --machine "$scratch/vista" status >/dev/null || fail "vtrctl status on a Vista machine"
RADIODESK_MACHINE=$scratch/vista "$prefix/bin/vtrctl" status >/dev/null ||
  fail "vtrctl status on a Vista machine named by RADIODESK_MACHINE"
if RADIODESK_BUILD=xp "$prefix/bin/vtrctl" --machine "$scratch/vista" status >/dev/null 2>&1; then
  fail "RADIODESK_BUILD=xp did not choose the XP program folder"
fi

# The default machine is an XP machine; a profile added there is kept in the user's data folder.
"$prefix/bin/vtrctl" profile add --name Home --ssid HomeNet >/dev/null || fail "vtrctl profile add"
store=$HOME/.local/share/radiodesk
[ -f "$store/Profile.dll" ] || fail "the profile store is not in $store"
[ "$(stat -c %a "$store")" = 700 ] || fail "$store is not the user's alone"
[ ! -e "$prefix/lib/radiodesk/bin/Profile.dll" ] || fail "a store was written into the program folder"
echo "install check: passed"
