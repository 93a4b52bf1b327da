#!/usr/bin/env bash
# Fails when a C++ file of the project differs from what clang-format makes of it under the
# root .clang-format. Exits 77 (reported as skipped by CTest) with a note when clang-format is
# not installed; scripts/install-deps.sh installs it.
#
#   check-format.sh ROOT_DIR     check ROOT_DIR/{src,tests,bench,fuzz,tools}
#   check-format.sh --fix ROOT   rewrite the files in place instead
set -euo pipefail

fix=0
if [[ ${1:-} == --fix ]]; then
  fix=1
  shift
fi
root=${1:?usage: check-format.sh [--fix] ROOT_DIR}

if ! command -v clang-format >/dev/null 2>&1; then
  echo "check-format: clang-format is not installed; format check skipped" >&2
  exit 77
fi

mapfile -d '' files < <(find "$root/src" "$root/tests" "$root/bench" "$root/fuzz" "$root/tools" \
  \( -name '*.cpp' -o -name '*.h' \) -type f -print0 | sort -z)

if ((fix)); then
  clang-format -i --style=file "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror --style=file "${files[@]}"; then
  echo "check-format: the files above differ from .clang-format; run scripts/check-format.sh --fix ." >&2
  exit 1
fi
