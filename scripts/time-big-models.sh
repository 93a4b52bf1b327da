#!/usr/bin/env bash
# Times whole editor processes on big models, as a person opening a file sees them: `--info` and
# `--convert` of a model with faces along a grid and of the same counts with faces naming
# vertices in random order. Prints the best wall-clock seconds and the peak resident memory of
# three runs each.
#
#   time-big-models.sh ZMFEDIT MAKE_BIG_MODEL [VERTICES]    (default 1000000)
#
# The models are written once into ${TMPDIR:-/tmp} and kept for later runs.
set -euo pipefail

zmfedit=${1:?usage: time-big-models.sh ZMFEDIT MAKE_BIG_MODEL [VERTICES]}
maker=${2:?usage: time-big-models.sh ZMFEDIT MAKE_BIG_MODEL [VERTICES]}
n=${3:-1000000}
dir=${TMPDIR:-/tmp}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# best-of-3 COMMAND...: "seconds peak-MB" of the fastest run, and the largest peak.
best_of_3() {
  local best="" peak=0 line seconds kb
  for _ in 1 2 3; do
    /usr/bin/time -o "$out/time" -f '%e %M' "$@" >/dev/null 2>&1 || true
    line=$(tail -n 1 "$out/time")
    seconds=${line% *}
    kb=${line#* }
    if [[ -z $best ]] || awk "BEGIN{exit !($seconds < $best)}"; then best=$seconds; fi
    ((kb > peak)) && peak=$kb
  done
  printf '%6.2f s  %5d MB' "$best" $((peak / 1024))
}

printf '%-8s %-10s %s\n' order form "best of 3, peak memory"
for order in grid random; do
  model="$dir/zmf-big-$order-$n.zmf"
  [[ -s $model ]] || "$maker" "$order" "$n" "$model"
  printf '%-8s %-10s %s\n' "$order" --info "$(best_of_3 "$zmfedit" --info "$model")"
  printf '%-8s %-10s %s\n' "$order" --convert \
    "$(best_of_3 "$zmfedit" --convert "$model" "$out/copy.zmf")"
done
