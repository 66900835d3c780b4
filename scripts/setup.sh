#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing) and builds the default preset.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-packages.sh

# libmount-dev and pkgconf build the Linux backend. The loop-device and driver suites use util-linux
# (losetup, partx, unshare), fdisk (sfdisk), e2fsprogs, ntfs-3g (mkntfs and the FUSE volume a refused
# format must mount back), python3 (a holder process) and dmsetup, which the QEMU guest of the driver
# suite takes from this machine for its device-mapper targets. qt6-translations-l10n holds Qt's own
# Russian texts, which the window tests check in the memos' context menus.
packages=(cmake ninja-build g++ qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev nlohmann-json3-dev libmount-dev pkgconf
          util-linux fdisk e2fsprogs ntfs-3g python3 dmsetup xvfb xdotool x11-apps x11-utils imagemagick)
# The driver suites (tests/drivers) boot a QEMU guest made from the host's own kernel, static busybox,
# hdparm and smartctl (tools/qemu-ata), and build their fixtures on the host with cc, mkfs.ext4 and
# sfdisk. Without these packages the suites could only skip, and under CI=true they fail.
if [ "${TRELVANE_WITH_DRIVERS:-1}" = 1 ]; then
  packages+=(qemu-system-x86 busybox-static hdparm smartmontools cpio kmod linux-image-amd64 xz-utils gcc)
  # nvme (nvme-cli, which the guest takes from this machine) and sg_raw (sg3-utils, passed with --bin)
  # reproduce the firmware erase findings in docs/firmware-erase.md.
  packages+=(nvme-cli sg3-utils)
fi
if [ "${TRELVANE_WITH_WINDOWS:-1}" = 1 ]; then
  packages+=(g++-mingw-w64-x86-64 wine wine64)
fi
install_packages "${packages[@]}"
install_russian_locale

cmake --preset default -DTRELVANE_BUILD_GUI=ON >/dev/null
cmake --build --preset default
