#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing) and builds the default preset.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-packages.sh

packages=(cmake ninja-build g++ qt6-base-dev libgtest-dev libgmock-dev nlohmann-json3-dev
          util-linux fdisk e2fsprogs xvfb xdotool x11-apps x11-utils imagemagick)
if [ "${TRELVANE_WITH_WINDOWS:-1}" = 1 ]; then
  packages+=(g++-mingw-w64-x86-64 wine wine64)
fi
install_packages "${packages[@]}"
install_russian_locale

cmake --preset default -DTRELVANE_BUILD_GUI=ON >/dev/null
cmake --build --preset default
