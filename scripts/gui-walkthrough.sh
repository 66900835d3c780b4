#!/usr/bin/env bash
# Walks the windowed program through a session on the demo machine under a virtual X server and
# saves a screenshot of each step: the chooser, the size refusal, the device details, the SMART
# report, the confirmation, the finished quick wipe with the run's summary, and the debug window of a
# second start.
#
#   scripts/gui-walkthrough.sh [program] [screenshot folder]
#
# Defaults: build/default/src/trelvane and docs/screenshots. Needs Xvfb, xdotool and ImageMagick's
# import (Debian packages xvfb, xdotool, imagemagick). The demo machine is copied to a scratch folder
# first, so the wipe writes to a throw-away image and nothing in the repository changes.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/default/src/trelvane}
shots=${2:-$root/docs/screenshots}

for tool in Xvfb xdotool import xdpyinfo; do
  command -v "$tool" >/dev/null || { echo "gui-walkthrough: $tool is missing (apt-get install xvfb xdotool imagemagick x11-utils)" >&2; exit 2; }
done
[ -x "$program" ] || { echo "gui-walkthrough: no program at $program; build it first" >&2; exit 2; }
mkdir -p "$shots"

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
stop_program() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
  app_pid=""
}
cleanup() {
  stop_program
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

cp "$root"/examples/demo/demo.json "$root"/examples/demo/*.bin "$work"/

# A display number nobody uses.
display=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "gui-walkthrough: no free display" >&2; exit 2; }
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# The id of the visible window whose title matches `$1`, waiting up to ten seconds for it.
window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  echo "gui-walkthrough: no window titled '$1'" >&2
  return 1
}

# Waits until no visible window matches `$1`.
gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "gui-walkthrough: window '$1' stayed open" >&2
  return 1
}

# Types keys into window `$1` (there is no window manager: the window is given the focus first).
keys() {
  local id=$1
  shift
  xdotool windowfocus --sync "$id"
  xdotool key --delay 150 "$@"
}

shot() {
  sleep 0.4
  import -window "$1" "$shots/$2.png"
  echo "gui-walkthrough: $shots/$2.png"
}

start_program() {
  TRELVANE_MACHINE="$work/demo.json" "$program" "$@" >"$work/program.log" 2>&1 &
  app_pid=$!
}

# 1. The chooser preselects the last drive, the tiny one, which it refuses.
start_program
chooser=$(window '^Выбор устройства')
shot "$chooser" 01-chooser
keys "$chooser" Return
refusal=$(window '^Нет доступа к этому устройству')
shot "$refusal" 02-refusal
keys "$refusal" Return
gone '^Нет доступа к этому устройству'

# 2. The scratch drive, one row up: the main window opens on its details.
keys "$chooser" Up Return
gone '^Выбор устройства'
main=$(window '^Trelvane 4.40')
shot "$main" 03-details

# 3. The SMART page; Enter presses its default button.
keys "$main" ctrl+Tab ctrl+Tab Return
shot "$main" 04-smart

# 4. The format page: past the log and the method list, tick the quick wipe, Enter for the format button, confirm with Yes (Cancel is
#    the dialog's default, so the focus moves back to Yes first).
keys "$main" ctrl+shift+Tab Tab Tab Tab space Return
confirm=$(window '^Предупреждение')
shot "$confirm" 05-confirmation
keys "$confirm" shift+Tab space
gone '^Предупреждение'
sleep 2
shot "$main" 06-quick-wipe
# The run's end: the summary above the method list, with the link to the saved report.
shot "$main" 10-summary
stop_program

# 5. A second start in debug mode: the debug window comes up modally before the chooser.
start_program --debug
# Shown without modality first, then closed and shown again modally as a new window of the
# display: give the start a moment, then take the one that is up.
sleep 1.5
debug=$(window '^Отладка')
shot "$debug" 07-debug
# Esc leaves it open: like the other windows it closes only through its close box.
keys "$debug" Escape
sleep 0.5
window '^Отладка' >/dev/null
stop_program
echo "gui-walkthrough: done"
