#!/usr/bin/env bash
# Every C++ source of the program, its tests and benchmarks is formatted as .clang-format says.
set -euo pipefail
root=$1
cd "$root"
mapfile -t files < <(find app bench data directories eventlog files history journal reportengine reports seams \
  spreadsheet summary timesheet tests ui -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
clang-format --dry-run -Werror "${files[@]}"
echo "format: ${#files[@]} files checked"
