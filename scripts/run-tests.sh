#!/usr/bin/env bash
# Runs CTest in every given build folder, even after a failure, and fails if any test failed.
#
#   run-tests.sh BUILD_DIR...
set -uo pipefail

failed=()
for dir in "$@"; do
  echo "=== ctest in $dir"
  if ! ctest --test-dir "$dir" --output-on-failure -j2; then
    failed+=("$dir")
  fi
done

echo
if ((${#failed[@]})); then
  echo "Tests FAILED in: ${failed[*]}"
  exit 1
fi
echo "All tests passed in: $*"
