#!/usr/bin/env bash
# Builds the Debian package: an optimised, hardened build without the test suites in build/package,
# then CPack.
# Prints the path of the .deb on its last line. Install it with: sudo apt-get install ./<that path>
# TRELVANE_PACKAGE_CXX picks the compiler (default g++); with it set, as in CI, warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-packages.sh
compiler=${TRELVANE_PACKAGE_CXX:-g++}
compiler_package=$compiler
[ "$compiler" = clang++-14 ] && compiler_package=clang-14
install_packages cmake ninja-build "$compiler_package" qt6-base-dev qt6-translations-l10n nlohmann-json3-dev libmount-dev pkgconf dpkg-dev file >&2

werror=OFF build=build/package
[ -n "${TRELVANE_PACKAGE_CXX:-}" ] && werror=ON build=build/package-$compiler
# Debian's own flags, as a package built by debhelper gets them: -O2, fortified functions, the
# stack protector, read-only relocations bound at start (the build type None adds nothing to them).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DTRELVANE_BUILD_TESTS=OFF \
      -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
      -DCMAKE_CXX_COMPILER="$compiler" -DTRELVANE_WERROR=$werror -DCMAKE_INSTALL_PREFIX=/usr >&2
cmake --build "$build" -j "${TRELVANE_JOBS:-2}" >&2
rm -f "$build"/trelvane_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/trelvane_*.deb
