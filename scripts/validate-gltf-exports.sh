#!/usr/bin/env bash
# Exports every model in an examples folder as .glb and .gltf with the editor's --convert and runs
# the Khronos glTF-Validator on each file; fails on any validator error. Exits 77 (skipped) where
# Node or the validator is missing: scripts/install-deps.sh puts the validator in
# build/gltf-validator (ZMF_GLTF_VALIDATOR names another folder).
#
#   validate-gltf-exports.sh ZMFEDIT EXAMPLES_DIR SCRATCH_DIR
set -euo pipefail

editor=$1 examples=$2 scratch=$3
root=$(cd "$(dirname "$0")/.." && pwd)
validator=${ZMF_GLTF_VALIDATOR:-$root/build/gltf-validator}

if ! command -v node >/dev/null; then
  echo "skipped: node is not installed"
  exit 77
fi
if [[ ! -f $validator/node_modules/gltf-validator/package.json ]]; then
  echo "skipped: the glTF-Validator is not installed in $validator"
  exit 77
fi

rm -rf "$scratch"
mkdir -p "$scratch"
files=()
for model in "$examples"/*.zmf; do
  name=$(basename "$model" .zmf)
  for extension in glb gltf; do
    mkdir -p "$scratch/$extension"
    QT_QPA_PLATFORM=offscreen "$editor" --convert "$model" "$scratch/$extension/$name.$extension"
    files+=("$scratch/$extension/$name.$extension")
  done
done
NODE_PATH=$validator/node_modules node "$root/scripts/gltf-validate.js" "${files[@]}"
