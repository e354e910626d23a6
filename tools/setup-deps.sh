#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages the build and the tests use (sudo when not root).
set -euo pipefail

packages=(
  cmake g++ make python3 pkg-config
  googletest libgtest-dev libbenchmark-dev libboost-dev
  clang libclang-rt-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils imagemagick
  fonts-ipafont-gothic fonts-dejavu-core libstb-dev libboost-dev libfast-float-dev python3-pil chromium
  ruby-asciidoctor-pdf poppler-utils xdotool xclip unzip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
