# Sourced by the whole-process timing scripts: runs a command three times and reports its best
# wall-clock time, the user and system seconds of that run, and the largest peak resident memory.
#
#   best_of_3 COMMAND...   prints "wall user system peak-MB" (seconds, seconds, seconds, MiB)
#
# The command's output goes nowhere; a run that fails ends the script with its error.
#
#   big_model FORM COUNT EXTENSION   the path of a big model file, written when missing (below)

timing_dir=$(mktemp -d)
trap 'rm -rf "$timing_dir"' EXIT

best_of_3() {
  local best="" user="" system="" peak=0 wall u s kb
  for _ in 1 2 3; do
    if ! /usr/bin/time -o "$timing_dir/time" -f '%e %U %S %M' "$@" >/dev/null 2>"$timing_dir/err"; then
      echo "failed: $*" >&2
      tail -n 5 "$timing_dir/err" >&2
      exit 1
    fi
    read -r wall u s kb < <(tail -n 1 "$timing_dir/time")
    if [[ -z $best ]] || awk "BEGIN{exit !($wall < $best)}"; then
      best=$wall user=$u system=$s
    fi
    ((kb > peak)) && peak=$kb
  done
  echo "$best $user $system $((peak / 1024))"
}

# format_timing "wall user system peak": the line the scripts print for one measurement.
format_timing() {
  local wall user system peak
  read -r wall user system peak <<<"$1"
  printf '%6.2f s  (user %5.2f, sys %5.2f)  %5d MB' "$wall" "$user" "$system" "$peak"
}

# big_model FORM COUNT EXTENSION: the path of the big file in ${TMPDIR:-/tmp}, written with
# $maker (make_big_model) when it is not there yet; kept for later runs.
big_model() {
  local path="${TMPDIR:-/tmp}/zmf-big-$1-$2.$3"
  if [[ ! -s $path ]] && ! "$maker" "$1" "$2" "$path" >/dev/null; then
    echo "could not write $path with $maker" >&2
    exit 1
  fi
  echo "$path"
}
