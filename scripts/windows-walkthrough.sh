#!/usr/bin/env bash
# Walks the Windows program under Wine and Xvfb with a real input tool (xdotool), on a copy of the demo
# machine, and saves screenshots into docs/screenshots/windows/: the chooser, the refusal of a drive
# that is too small, the details, the SMART report, the confirmation of a quick wipe and its end.
#
# TRELVANE_MACHINE is always set: the program never reaches Wine's own drives (Wine's Z: is the build
# machine's root, and a dismount there would unmount a real file system).
#
# The program runs in a Wine desktop window of a fixed size, so every window opens centred at the same
# place; the clicks below are positions inside that desktop. Environment: TRELVANE_WINDOWS_BUILD_DIR
# (default build/windows, built first), TRELVANE_SCREENSHOTS (default docs/screenshots/windows).
set -euo pipefail
cd "$(dirname "$0")/.."
windows_dir=$(realpath -m "${TRELVANE_WINDOWS_BUILD_DIR:-build/windows}")
shots=$(realpath -m "${TRELVANE_SCREENSHOTS:-docs/screenshots/windows}")
mkdir -p "$shots"

cmake --preset windows -B "$windows_dir" >/dev/null
cmake --build "$windows_dir" --target trelvane

work=$(mktemp -d "${TMPDIR:-/tmp}/trelvane-walk.XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1100x700x24 >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp -r examples/demo "$work/demo"
wine wineboot -i </dev/null >"$work/wineboot.log" 2>&1
machine=$(winepath -w "$work/demo/demo.json" 2>/dev/null)

shot() { sleep "${2:-1.5}"; import -window root "$shots/$1.png"; echo "saved $shots/$1.png"; }
click() { xdotool mousemove "$1" "$2" click 1; }

(cd "$work" && TRELVANE_MACHINE="$machine" timeout 300 wine explorer /desktop=trelvane,1100x700 \
   "$windows_dir/src/trelvane.exe" </dev/null >"$work/program.log" 2>&1) &
sleep 8
shot 01-chooser 0
# Enter confirms the preselected last drive, which has too few sectors: the refusal.
xdotool key Return
shot 02-refusal
xdotool key Return
# The scratch drive, one row up, then Continue.
click 300 309
click 900 499
shot 03-details 3
click 575 162
click 800 518
shot 04-smart 2
click 420 162
shot 05-format 1
click "${QUICK_WIPE_X:-510}" 426
click 775 510
shot 06-confirmation 2
xdotool key Return
shot 07-quick-wipe 4
wineserver -k 2>/dev/null || true
