#!/usr/bin/env bash
# Sets up (packages, build) and runs every test: the unit, emulated-machine, command-line, window,
# loop-device and QEMU driver suites; the core, emulated and command-line suites again under the
# sanitizers; a short run of every fuzz harness; the Windows build under Wine; and, as root, the
# Debian package built with clang, checked, installed and removed. Prints how long each step took.
set -euo pipefail
cd "$(dirname "$0")/.."

steps=()
step_start=$SECONDS
finish_step() {
  steps+=("$(printf '%-44s %5d s' "$1" $((SECONDS - step_start)))")
  step_start=$SECONDS
}
print_steps() {
  echo "== Time per step"
  printf '%s\n' "${steps[@]}"
}
trap print_steps EXIT

bash scripts/setup.sh
finish_step "set-up and default build"
ctest --preset default -j2
finish_step "default suites (with drivers)"

cmake --preset asan >/dev/null
cmake --build --preset asan --target trelvane-cli trelvane_core_tests trelvane_emulated_tests trelvane_cli_tests
ctest --preset asan -j2 -L 'core|emulated|cli'
finish_step "sanitizer build and suites"

bash scripts/fuzz.sh 5
finish_step "fuzz harnesses, 5 s each"

if [ "${TRELVANE_WITH_WINDOWS:-1}" = 1 ]; then
  bash scripts/windows-tests.sh
  finish_step "Windows build and suites under Wine"
fi

if [ "$(id -u)" = 0 ]; then
  TRELVANE_PACKAGE_CXX=clang++-14 bash scripts/package-test.sh
  finish_step "Debian package (clang Release build)"
elif [ "${CI:-}" = true ]; then
  echo "The package test installs a package and needs root." >&2
  exit 1
else
  echo "Skipped the package test: it installs a package and needs root (sudo bash scripts/package-test.sh)."
fi
