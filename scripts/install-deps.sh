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
# Node and npm for the Khronos glTF-Validator that checks the glTF exports, unless the machine
# has them already (a Node from elsewhere brings its own npm).
if ! command -v npm >/dev/null; then
  packages+=(nodejs npm)
fi

# The validator comes from npm, into a folder of the build, once. Without a network the glTF
# validation test is skipped with a note; nothing else depends on it.
install_validator() {
  local folder=build/gltf-validator version=2.0.0-dev.3.10
  [[ -f $folder/node_modules/gltf-validator/package.json ]] && return 0
  command -v npm >/dev/null || return 0
  echo "install-deps: installing gltf-validator $version into $folder"
  mkdir -p "$folder"
  if ! npm install --prefix "$folder" --no-audit --no-fund --loglevel=error \
      "gltf-validator@$version" </dev/null; then
    echo "install-deps: could not install gltf-validator; the glTF validation test will be skipped"
  fi
}

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  if [[ $status != "install ok installed" ]]; then
    missing+=("$package")
  fi
done
if ((${#missing[@]} == 0)); then
  install_validator
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
if ((EUID != 0)); then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq </dev/null
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq "${missing[@]}" </dev/null
install_validator
