#!/usr/bin/env bash
# Measures the running utility on a fresh simulated machine in real time, offscreen: its idle
# CPU over SECONDS (default 60) with the poll running, and its resident memory at the end.
# Start-up time is measured by the benchmark bench/utility_startup_bench.
#
# The first start's default profile joins the open network "Printers", which has no DHCP server:
# the connection waits 120 s for an address before it gives up. The measurement starts after
# SETTLE_SECONDS (default 150), once that wait is over; SETTLE_SECONDS=10 measures during it.
#
#   [SETTLE_SECONDS=N] tools/measure_utility.sh [SECONDS] [PROGRAM-FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
program_dir=${2:-build/default/bin}
machine=$(mktemp -d)/machine
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$(dirname "$machine")"' EXIT

"$program_dir/vtrctl" --machine "$machine" status >/dev/null
"$program_dir/vtrctl" --machine "$machine" reg set 'HKLM\Software\Vantrel\WLAN\Radiodesk' \
  FirstRun --string 255 >/dev/null
mkdir -p "$(dirname "$machine")/profiles"
QT_QPA_PLATFORM=offscreen RADIODESK_MACHINE="$machine" \
  RADIODESK_PROFILE_DIR="$(dirname "$machine")/profiles" "$program_dir/radiodesk" \
  >/dev/null 2>&1 &
pid=$!
sleep "${SETTLE_SECONDS:-150}"  # start-up, the first poll and the automatic connection settle
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$seconds"
after=$(ticks)
rss_kb=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
anon_kb=$(awk '/RssAnon/ {print $2}' "/proc/$pid/status")
awk -v used=$((after - before)) -v hz="$hz" -v s="$seconds" -v rss="$rss_kb" -v anon="$anon_kb" \
  'BEGIN {
  printf "idle CPU over %d s: %.3f %% of one core (%d clock ticks of 1/%d s)\n", s,
         100 * used / hz / s, used, hz
  printf "resident memory: %.1f MB, of which %.1f MB the program\x27s own (anonymous) and the\n",
         rss / 1024, anon / 1024
  printf "rest mapped files, mostly the shared libraries\x27 code\n"
}'
