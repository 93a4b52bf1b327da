#!/usr/bin/env bash
# Runs every benchmark program (*_bench) in the given folder.
#
#   run-benchmarks.sh BENCH_BUILD_DIR
set -euo pipefail

dir=${1:?usage: run-benchmarks.sh BENCH_BUILD_DIR}
shopt -s nullglob
programs=("$dir"/*_bench)
if ((${#programs[@]} == 0)); then
  echo "No benchmarks (bench/*_bench.cpp) to run."
  exit 0
fi
for program in "${programs[@]}"; do
  echo "=== $(basename "$program")"
  "$program"
done
