#!/usr/bin/env bash
# Builds the two programs (not the test suites) and starts trelvane on the bundled demo machine.
# Arguments are passed to the program (for example --debug). Without a display it shows the command
# line's view of the same machine instead. Installing packages needs root or sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-packages.sh
install_packages cmake ninja-build g++ qt6-base-dev qt6-translations-l10n nlohmann-json3-dev libmount-dev pkgconf

# At most one compile per core: the build is the heaviest thing the demo does.
jobs=$(nproc 2>/dev/null || echo 2)
log=build/demo-build.log
mkdir -p build
echo "Building trelvane and trelvane-cli in build/demo ($jobs parallel jobs; log: $log)"
if ! { cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELVANE_BUILD_TESTS=OFF &&
       cmake --build build/demo --target trelvane trelvane-cli -j "$jobs"; } >"$log" 2>&1; then
  tail -n 30 "$log" >&2
  echo "The build failed; the whole log is $log." >&2
  exit 1
fi

export TRELVANE_MACHINE="$PWD/examples/demo/demo.json"
next_steps() {
  echo
  echo "Next, on the same demo machine (drive 3 is a 64 MiB scratch disk; its writes go to examples/demo/scratch.img):"
  echo "  TRELVANE_MACHINE=examples/demo/demo.json build/demo/src/trelvane-cli details 3"
  echo "  TRELVANE_MACHINE=examples/demo/demo.json build/demo/src/trelvane-cli smart 3"
  echo "  TRELVANE_MACHINE=examples/demo/demo.json build/demo/src/trelvane-cli format 3 --quick --verify"
  echo "  TRELVANE_MACHINE=examples/demo/firmware.json build/demo/src/trelvane-cli format 1 --method auto"
}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): the windowed program cannot start here."
  echo "The same demo machine from the command line:"
  echo "  TRELVANE_MACHINE=examples/demo/demo.json build/demo/src/trelvane-cli list"
  build/demo/src/trelvane-cli list
  next_steps
  exit 0
fi
next_steps
exec build/demo/src/trelvane "$@"
