#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine (as root, or
# through sudo). Packages already present are left alone.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev libgmock-dev
  qt6-base-dev qt6-qpa-plugins libgl-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64
  xvfb xauth xdotool imagemagick x11-utils
  attr fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
    missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq \
    "${missing[@]}" >/dev/null
fi
