#!/usr/bin/env bash
# Installs the Debian 12 packages the station needs to build, run and test.
# Fast when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin libgl-dev
  libjpeg62-turbo-dev libxcb1-dev
  libfontconfig-dev
  libcrypt-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth openbox xdotool x11-utils imagemagick strace
  x11-xserver-utils
  libgumbo-dev libqpdf-dev poppler-utils
  scdoc lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
