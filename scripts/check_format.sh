#!/usr/bin/env bash
# Checks that C++ files follow .clang-format. With a revision, only the files
# changed since it (committed or not); without one, every tracked file.
#
#   scripts/check_format.sh            every C++ file of the tree
#   scripts/check_format.sh origin/main the files a change touches
#   scripts/check_format.sh --fix ...   formats them instead of checking
set -euo pipefail
cd "$(dirname "$0")/.."
fix=0
if [ "${1:-}" = "--fix" ]; then fix=1; shift; fi
command -v clang-format >/dev/null || scripts/setup.sh format
if [ $# -gt 0 ]; then
  mapfile -t files < <(git diff --name-only --diff-filter=d "$1" -- '*.cc' '*.h')
else
  mapfile -t files < <(git ls-files '*.cc' '*.h')
fi
((${#files[@]})) || exit 0
if ((fix)); then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/check_format.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/check_format.$$ | cut -d: -f1 | sort -u |
    sed 's/^/check_format: not formatted: /' >&2
  rm -f /tmp/check_format.$$
  echo "check_format: run scripts/check_format.sh --fix, or clang-format -i on these files" >&2
  exit 1
fi
rm -f /tmp/check_format.$$
echo "check_format: ${#files[@]} files follow .clang-format"
