#!/usr/bin/env bash
# Renders every page and dialog of the utility offscreen into docs/screenshots/ (PNG), on the
# XP and the Vista program folder, every page in English and in Japanese: the pictures the README
# and docs/utility.md show. The look tests draw them; this runs them with RADIODESK_SCREENSHOT_DIR.
#
#   tools/screenshots.sh [PRESET]     (default: default)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
out=docs/screenshots
mkdir -p "$out"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target radiodesk_utility_tests radiodesk_program_files
# Every test that renders a page or dialog saves it; the language tests only English and Japanese.
filter='*:-AllLanguages/LanguagesTest.*/de:AllLanguages/LanguagesTest.*/zh_*'
for build in xp vista; do
  echo "== $build"
  RADIODESK_TEST_BUILD=$build RADIODESK_SCREENSHOT_DIR=$PWD/$out QT_QPA_PLATFORM=offscreen \
    "build/$preset/bin/radiodesk_utility_tests" --gtest_filter="$filter" --gtest_brief=1
done
echo "pictures in $out/"
