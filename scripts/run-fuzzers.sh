#!/usr/bin/env bash
# Fuzzes every libFuzzer target (fuzz_NAME) in the given folder for SECONDS each, starting from
# its seed corpus fuzz/corpus/NAME/. New inputs go to a scratch corpus beside the build, so the
# checked-in seeds only change by hand.
#
#   run-fuzzers.sh FUZZ_BUILD_DIR SECONDS
set -euo pipefail

dir=${1:?usage: run-fuzzers.sh FUZZ_BUILD_DIR SECONDS}
seconds=${2:?usage: run-fuzzers.sh FUZZ_BUILD_DIR SECONDS}
shopt -s nullglob
targets=()
for program in "$dir"/fuzz_*; do
  [[ -f $program && -x $program ]] && targets+=("$program")
done
if ((${#targets[@]} == 0)); then
  echo "No fuzz targets (fuzz/fuzz_*.cpp) yet; nothing to fuzz."
  exit 0
fi

for program in "${targets[@]}"; do
  name=$(basename "$program")
  name=${name#fuzz_}
  seeds=fuzz/corpus/$name
  scratch=$dir/corpus/$name
  mkdir -p "$scratch" "$dir/artifacts"
  corpora=("$scratch")
  if [[ -d $seeds ]]; then
    corpora+=("$seeds")
  else
    echo "warning: fuzz_$name has no seed corpus in $seeds" >&2
  fi
  echo "=== fuzz_$name for ${seconds}s"
  "$program" -max_total_time="$seconds" -artifact_prefix="$dir/artifacts/$name-" "${corpora[@]}"
done
