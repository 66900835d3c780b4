#!/usr/bin/env bash
# Builds the Windows program with MinGW-w64 (preset `windows`) and runs, under Wine, every Windows test
# executable and `trelvane-cli.exe list` on the demo machine, whose output must equal the Linux build's
# (line endings and time stamps aside).
#
# Only emulated machines are used: TRELVANE_MACHINE is always set, so nothing the Windows build runs
# here reaches Wine's own drives (Wine maps Z: to the build machine's root, and a dismount request
# there would unmount a real file system).
#
# Environment: TRELVANE_WINDOWS_BUILD_DIR (default build/windows), TRELVANE_HOST_BUILD_DIR (the Linux
# build that provides the reference trelvane-cli, default build/default; configured without the Qt
# front end when it does not exist yet), TRELVANE_JOBS (default: the number of processors).
set -euo pipefail
# The Win32 window tests create real windows: without a display, the whole script runs under Xvfb.
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a bash "$0" "$@"
fi
cd "$(dirname "$0")/.."
windows_dir=$(realpath -m "${TRELVANE_WINDOWS_BUILD_DIR:-build/windows}")
host_dir=$(realpath -m "${TRELVANE_HOST_BUILD_DIR:-build/default}")
jobs=${TRELVANE_JOBS:-$(nproc)}

script_start=$SECONDS
phase_start=$SECONDS
timings=()
finish_phase() {
  timings+=("$(printf '%-28s %4d s' "$1" $((SECONDS - phase_start)))")
  phase_start=$SECONDS
}

# --- Packages -------------------------------------------------------------------------------------
packages=(cmake ninja-build libgtest-dev nlohmann-json3-dev g++-mingw-w64-x86-64 wine wine64 xvfb)
source "$(dirname "${BASH_SOURCE[0]}")/install-packages.sh"
install_packages "${packages[@]}"
finish_phase "packages"

# --- Builds ---------------------------------------------------------------------------------------
cmake --preset windows -B "$windows_dir" >/dev/null
cmake --build "$windows_dir" -j "$jobs"
finish_phase "Windows build (MinGW-w64)"

if [ ! -f "$host_dir/CMakeCache.txt" ]; then
  cmake -S . -B "$host_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELVANE_BUILD_GUI=OFF \
        -DTRELVANE_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$host_dir" -j "$jobs" --target trelvane-cli
finish_phase "Linux trelvane-cli"

# --- Wine -----------------------------------------------------------------------------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/trelvane-wine.XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
# No prompts to install Wine's .NET and HTML engines into the fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A copy of the demo machine: an emulated drive's image file is created next to its machine file, and
# the source tree stays untouched.
cp -r examples/demo "$work/demo"
export TRELVANE_MACHINE="$work/demo/demo.json"

wine wineboot -i </dev/null >"$work/wineboot.log" 2>&1
windows_machine=$(winepath -w "$TRELVANE_MACHINE" 2>/dev/null)
finish_phase "Wine prefix"

status=0
shopt -s nullglob
test_executables=("$windows_dir"/tests/trelvane_*_tests.exe)
if [ ${#test_executables[@]} -eq 0 ]; then
  echo "No Windows test executables in $windows_dir/tests" >&2
  status=1
fi
for executable in "${test_executables[@]}"; do
  name=$(basename "$executable" .exe)
  log="$work/$name.log"
  started=$SECONDS
  run_suite() {
    (cd "$work" && TRELVANE_MACHINE="$windows_machine" timeout 300 wine "$executable" </dev/null >"$log" 2>&1)
  }
  rc=0
  run_suite || rc=$?
  if [ "$rc" -eq 124 ]; then
    # A window suite has been seen to wait for ever, rarely, under Wine on a loaded machine. Say which
    # test was running, then give the suite one more run: a second hang, or any failure, fails.
    echo "TIMED OUT: $name in $(grep '^\[ RUN' "$log" | tail -n 1); running it once more" >&2
    rc=0
    run_suite || rc=$?
  fi
  if [ "$rc" -eq 0 ]; then
    echo "passed: $name ($(grep -o '[0-9]* tests\? from [0-9]* test suites\? ran' "$log" | head -1), $((SECONDS - started)) s)"
  else
    # The failed tests and their messages; a crash adds Wine's long register and module dump after them.
    echo "FAILED: $name (exit $rc)" >&2
    grep -E '^\[  FAILED|Failure|Expected|Which is|^\[ RUN' "$log" | grep -B1 -A4 -E 'FAILED|Failure' | head -n 60 >&2
    tail -n 20 "$log" >&2
    status=1
  fi
done
finish_phase "Windows test executables"

# `list` on the same machine file, by both builds. Time stamps (the text before the three blanks that
# start a log line) and carriage returns are left out of the comparison.
normalize() { tr -d '\r' | sed -E 's/^[0-9][0-9.:/ ,-]*[0-9]   /<time>   /'; }
linux_rc=0
"$host_dir/src/trelvane-cli" list </dev/null >"$work/list.linux" 2>"$work/list.linux.err" || linux_rc=$?
windows_rc=0
(cd "$work" && TRELVANE_MACHINE="$windows_machine" timeout 120 wine "$windows_dir/src/trelvane-cli.exe" list \
   </dev/null >"$work/list.windows" 2>"$work/list.windows.err") || windows_rc=$?
normalize <"$work/list.linux" >"$work/list.linux.txt"
normalize <"$work/list.windows" >"$work/list.windows.txt"
if [ "$linux_rc" != "$windows_rc" ] || ! diff -u "$work/list.linux.txt" "$work/list.windows.txt" >"$work/list.diff"; then
  echo "FAILED: trelvane-cli.exe list differs from the Linux build (exit $windows_rc, Linux $linux_rc)" >&2
  cat "$work/list.diff" "$work/list.windows.err" >&2
  status=1
elif [ ! -s "$work/list.linux.txt" ]; then
  echo "FAILED: trelvane-cli list printed nothing (exit $linux_rc)" >&2
  cat "$work/list.linux.err" >&2
  status=1
else
  echo "passed: trelvane-cli.exe list equals the Linux build's ($(wc -l <"$work/list.linux.txt") lines, exit $linux_rc)"
fi
finish_phase "trelvane-cli.exe list"

WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
echo "Timings:"
printf '  %s\n' "${timings[@]}"
printf '  %-28s %4d s\n' "total" $((SECONDS - script_start))
exit $status
