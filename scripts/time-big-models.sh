#!/usr/bin/env bash
# Times whole editor processes on big models, as a person opening a file sees them: `--info` and
# `--convert` of a model with faces along a grid and of the same counts with faces naming
# vertices in random order, and `--info` of the big X and 3DS files. Prints the best wall-clock
# seconds of three runs with that run's user and system seconds, and the largest peak resident
# memory.
#
#   time-big-models.sh ZMFEDIT MAKE_BIG_MODEL [VERTICES]    (default 1000000)
#
# The models are written once into ${TMPDIR:-/tmp} and kept for later runs.
set -euo pipefail

zmfedit=${1:?usage: time-big-models.sh ZMFEDIT MAKE_BIG_MODEL [VERTICES]}
maker=${2:?usage: time-big-models.sh ZMFEDIT MAKE_BIG_MODEL [VERTICES]}
n=${3:-1000000}
source "$(dirname "$0")/process-timing.sh"

row() {
  local timing
  timing=$(best_of_3 "${@:3}")
  printf '%-8s %-10s %s\n' "$1" "$2" "$(format_timing "$timing")"
}

printf '%-8s %-10s %s\n' model form "best of 3 (that run's user and system), peak memory"
for order in grid random; do
  model=$(big_model "$order" "$n" zmf)
  row "$order" --info "$zmfedit" --info "$model"
  row "$order" --convert "$zmfedit" --convert "$model" "$timing_dir/copy.zmf"
done
# The X file has the model's vertex count; the 3DS file has 16 objects of 60,000 vertices.
x=$(big_model x "$n" x)
row x --info "$zmfedit" --info "$x"
threeds=$(big_model 3ds 960000 3ds)
row 3ds --info "$zmfedit" --info "$threeds"
