#!/usr/bin/env bash
# Sets up (packages, build) and starts trelvane on the bundled demo machine.
# Arguments are passed to the program (for example --debug).
set -euo pipefail
cd "$(dirname "$0")/.."
TRELVANE_WITH_WINDOWS=0 bash scripts/setup.sh
export TRELVANE_MACHINE="$PWD/examples/demo/demo.json"
exec build/default/src/trelvane "$@"
