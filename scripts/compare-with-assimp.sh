#!/usr/bin/env bash
# Compares whole editor processes opening the big models with Assimp's ReadFile of the same
# meshes, side by side in one run: the grid and random-order ZMF models (Assimp reads them as
# OBJ files the editor exported), the X file and the 3DS file. Prints for each the best of three
# runs (wall, and that run's user and system seconds), the peak memory, and the editor's time as
# a fraction of Assimp's.
#
#   compare-with-assimp.sh ZMFEDIT MAKE_BIG_MODEL [VERTICES]    (default 1000000)
#
# Assimp is a peer for measuring only: its reader is built here from bench/peers/assimp_read.cpp
# and never linked into the editor. Without libassimp-dev the script says so and does nothing.
set -euo pipefail

zmfedit=${1:?usage: compare-with-assimp.sh ZMFEDIT MAKE_BIG_MODEL [VERTICES]}
maker=${2:?usage: compare-with-assimp.sh ZMFEDIT MAKE_BIG_MODEL [VERTICES]}
n=${3:-1000000}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/process-timing.sh"

if ! pkg-config --exists assimp 2>/dev/null && [[ ! -e /usr/include/assimp/Importer.hpp ]]; then
  echo "libassimp-dev is not installed: nothing to compare (apt-get install libassimp-dev)."
  exit 0
fi
peer="$timing_dir/assimp_read"
# shellcheck disable=SC2046
g++ -O2 -o "$peer" "$here/../bench/peers/assimp_read.cpp" \
  $(pkg-config --cflags --libs assimp 2>/dev/null || echo -lassimp)

# compare NAME EDITOR_FILE ASSIMP_FILE
compare() {
  local ours theirs
  ours=$(best_of_3 "$zmfedit" --info "$2")
  theirs=$(best_of_3 "$peer" "$3")
  printf '%-7s editor %s\n' "$1" "$(format_timing "$ours")"
  printf '%-7s Assimp %s\n' "" "$(format_timing "$theirs")"
  printf '%-7s editor / Assimp: %s\n' "" \
    "$(awk -v a="${ours%% *}" -v b="${theirs%% *}" 'BEGIN{printf "%.2fx", (b > 0 ? a / b : 0)}')"
}

echo "whole processes, best of 3 (that run's user and system seconds), peak memory"
for order in grid random; do
  model=$(big_model "$order" "$n" zmf)
  obj="${model%.zmf}.obj"
  [[ -s $obj ]] || "$zmfedit" --convert "$model" "$obj" >/dev/null
  compare "$order" "$model" "$obj"
done
x=$(big_model x "$n" x)
compare x "$x" "$x"
threeds=$(big_model 3ds 960000 3ds)
compare 3ds "$threeds" "$threeds"
