#!/usr/bin/env bash
# Sets up (packages, build) and runs every test: the unit, emulated-machine, command-line, window and
# loop-device suites, the driver tests on emulated ATA disks, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
ctest --preset default -j2
if [ "${TRELVANE_WITH_WINDOWS:-1}" = 1 ] && [ -f scripts/windows-tests.sh ]; then
  bash scripts/windows-tests.sh
fi
