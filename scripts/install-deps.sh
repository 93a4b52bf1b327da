#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing ZmfEdit need, and only those
# that are missing. Silent when everything is present; never reads stdin.
set -euo pipefail

packages=(
  cmake g++ ninja-build ccache clang clang-format
  qt6-base-dev libqt6opengl6-dev       # the second is only recommended by the first
  libqt6svg6                           # the SVG plugins that draw the icons
  libgl-dev libegl-dev libgl1-mesa-dri libglx-mesa0 libegl-mesa0
  libjpeg62-turbo-dev
  libpng-dev                           # PNG textures and the render tests' baseline pictures
  libtinygltf-dev libtinyobjloader-dev # glTF and OBJ exchange
  nlohmann-json3-dev                   # the JSON library the glTF library is built with
  xvfb xauth fonts-dejavu-core
  libgtest-dev libbenchmark-dev
  desktop-file-utils                   # the desktop entry's check
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  if [[ $status != "install ok installed" ]]; then
    missing+=("$package")
  fi
done
((${#missing[@]} == 0)) && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=()
if ((EUID != 0)); then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq </dev/null
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq "${missing[@]}" </dev/null
