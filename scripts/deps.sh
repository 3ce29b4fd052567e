#!/usr/bin/env bash
# The one list of Debian packages the editor, its tests and its tools need.
# Installs only what is missing. fonts-dejavu-extra holds the face the windows
# are laid out for; desktop-file-utils, libxml2-utils and shared-mime-info check
# the installed tree; clang and its runtime build the fuzz targets; libzip reads
# .gdtf archives; xz-utils unpacks the GDTF test corpus; poppler-utils reads
# the printed channel sheet back in its tests;
# BRANNOC_FOR_PACKAGE=1 adds what building the .deb needs (lintian checks it).
# Installing needs root or sudo.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev libgl-dev
  fonts-dejavu-extra
  libgtest-dev
  nlohmann-json3-dev
  libpugixml-dev libzip-dev
  xz-utils poppler-utils
  qlcplus-data
  desktop-file-utils libxml2-utils shared-mime-info
  clang libclang-rt-14-dev
)
if [[ "${BRANNOC_WITH_DISPLAY:-}" == 1 ]]; then
  packages+=(xvfb xauth)
fi
# The benchmark (scripts/bench.sh) runs the real windows on a virtual display.
if [[ "${BRANNOC_WITH_BENCH:-}" == 1 ]]; then
  packages+=(xvfb xauth)
fi
if [[ "${BRANNOC_FOR_PACKAGE:-}" == 1 ]]; then
  packages+=(dpkg-dev file lintian)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then
    # Installing packages needs root; say so instead of failing on a missing sudo.
    if ! command -v sudo >/dev/null; then
      echo "These Debian packages are missing: ${missing[*]}" >&2
      echo "Installing them needs root or sudo, and there is no sudo here. As root, run:" >&2
      echo "  apt-get install ${missing[*]}" >&2
      exit 1
    fi
    SUDO="sudo"
  fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
