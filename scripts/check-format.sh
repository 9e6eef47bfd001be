#!/usr/bin/env bash
# Checks every tracked C++ file against the repository's .clang-format (clang-format 14, as Debian 12 ships it).
#   scripts/check-format.sh         lists the files that differ and fails
#   scripts/check-format.sh --fix   formats them in place
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
mapfile -t files < <(git ls-files -- '*.h' '*.cpp')
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
if ! report=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
    echo "Formatting differs from .clang-format in:"
    grep -oE '^[^:]+\.(h|cpp):[0-9]+' <<<"$report" | cut -d: -f1 | sort -u | sed 's/^/  /'
    echo "Run: bash scripts/check-format.sh --fix"
    exit 1
fi
echo "Formatting: ${#files[@]} files match .clang-format"
