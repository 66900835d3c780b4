#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing) and builds the default preset.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-packages.sh

# libmount-dev and pkgconf build the Linux backend. The loop-device and driver suites use util-linux
# (losetup, partx, unshare), fdisk (sfdisk), e2fsprogs, ntfs-3g (mkntfs and the FUSE volume a refused
# format must mount back), python3 (a holder process) and dmsetup, which the QEMU guest of the driver
# suite takes from this machine for its device-mapper targets.
packages=(cmake ninja-build g++ qt6-base-dev libgtest-dev libgmock-dev nlohmann-json3-dev libmount-dev pkgconf
          util-linux fdisk e2fsprogs ntfs-3g python3 dmsetup xvfb xdotool x11-apps x11-utils imagemagick)
if [ "${TRELVANE_WITH_WINDOWS:-1}" = 1 ]; then
  packages+=(g++-mingw-w64-x86-64 wine wine64)
fi
install_packages "${packages[@]}"

cmake --preset default -DTRELVANE_BUILD_GUI=ON >/dev/null
cmake --build --preset default
