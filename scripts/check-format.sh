#!/usr/bin/env bash
# Fails when clang-format (with the project's .clang-format) would change a C++ file.
# --fix rewrites the files instead.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' 2>/dev/null ||
  find src tests -name '*.cpp' -o -name '*.h')
files=("${files[@]/#/}")
existing=()
for f in "${files[@]}"; do
  [[ -f $f ]] && existing+=("$f")
done

if [[ ${1:-} == --fix ]]; then
  clang-format -i "${existing[@]}"
  exit 0
fi
clang-format --dry-run --Werror "${existing[@]}"
echo "format: ${#existing[@]} files formatted as .clang-format says"
