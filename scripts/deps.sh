#!/usr/bin/env bash
# Installs the Debian packages Facetry needs to build, run and test, when any
# of them is missing (the Python module's for Debian's /usr/bin/python3).
# Usage: scripts/deps.sh [extra-package ...]
set -euo pipefail

packages=(cmake make g++ pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri
          libgtest-dev libtinyobjloader-dev libosd-dev xvfb xdotool x11-utils imagemagick
          python3-dev pybind11-dev python3-numpy python3-pytest "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
