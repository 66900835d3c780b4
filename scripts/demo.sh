#!/usr/bin/env bash
# Builds the two programs (not the test suites) and starts trelvane on the bundled demo machine.
# Arguments are passed to the program (for example --debug). Without a display it shows the command
# line's view of the same machine instead.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-packages.sh
install_packages cmake ninja-build g++ qt6-base-dev qt6-translations-l10n nlohmann-json3-dev libmount-dev pkgconf

cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build/demo --target trelvane trelvane-cli
export TRELVANE_MACHINE="$PWD/examples/demo/demo.json"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): the windowed program cannot start here."
  echo "The same demo machine from the command line:"
  echo "  TRELVANE_MACHINE=examples/demo/demo.json build/demo/src/trelvane-cli list"
  exec build/demo/src/trelvane-cli list
fi
exec build/demo/src/trelvane "$@"
