#!/usr/bin/env bash
# Builds the Debian package of the editor (Release, installed under /usr):
# build/package/brannoc512_<version>_<architecture>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."

BRANNOC_FOR_PACKAGE=1 scripts/deps.sh

build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
# Only what the package holds; the tests are not needed for it.
cmake --build "$build" -j "$(nproc)" --target brannoc512 tfftool installed_names
(cd "$build" && cpack -G DEB)
ls -l "$build"/brannoc512_*.deb
