#!/usr/bin/env bash
# The one list of Debian packages the editor, its tests and its tools need.
# Installs only what is missing.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev
  nlohmann-json3-dev
)
if [[ "${BRANNOC_WITH_DISPLAY:-}" == 1 ]]; then
  packages+=(xvfb xauth)
fi
# The benchmark (scripts/bench.sh): a virtual display and the face the windows
# were laid out for, so that the figures are those of the editor as it runs.
if [[ "${BRANNOC_WITH_BENCH:-}" == 1 ]]; then
  packages+=(xvfb xauth fonts-dejavu-core fonts-dejavu-extra)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
