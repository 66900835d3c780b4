#!/usr/bin/env bash
# Builds the Debian package: a Release build without the test suites in build/package, then CPack.
# Prints the path of the .deb on its last line. Install it with: sudo apt-get install ./<that path>
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-packages.sh
install_packages cmake ninja-build g++ qt6-base-dev nlohmann-json3-dev dpkg-dev file >&2

cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELVANE_BUILD_TESTS=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr >&2
cmake --build build/package -j "${TRELVANE_JOBS:-2}" >&2
rm -f build/package/trelvane_*.deb
(cd build/package && cpack -G DEB >/dev/null)
ls build/package/trelvane_*.deb
