#!/usr/bin/env bash
# Builds the Debian package of the editor (Release, installed under /usr):
# build/package/brannoc512_<version>_<architecture>.deb, built with Debian's
# hardening flags (dpkg-buildflags) and without the tests, then checked by
# lintian when it is there.
set -euo pipefail
cd "$(dirname "$0")/.."

BRANNOC_FOR_PACKAGE=1 scripts/deps.sh

# Debian's flags for a package, all hardening included (fortify, stack
# protector, relro, bind-now). CMake takes no CPPFLAGS, so they go with the
# compiler's flags.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBRANNOC_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB)
ls -l "$build"/brannoc512_*.deb
if command -v lintian >/dev/null; then
  echo "lintian:"
  lintian "$build"/brannoc512_*.deb && echo "  no remarks"
fi
