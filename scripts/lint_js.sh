#!/usr/bin/env bash
# Lints the route viewer's script: node's own syntax check, then ESLint with
# the checked-in rules when ESLint is installed. Status 77 (skipped) without node.
#   scripts/lint_js.sh FILE.js [ESLINT_CONFIG]
set -euo pipefail

script="$1"
config="${2:-}"
if ! command -v node >/dev/null; then
  echo "lint_js: node is not installed; skipped" >&2
  exit 77
fi
node --check "$script"
if [ -n "$config" ] && command -v eslint >/dev/null; then
  # The rules of this file only, whatever configuration lies above it.
  ESLINT_USE_FLAT_CONFIG=false eslint --no-eslintrc --config "$config" "$script"
else
  echo "lint_js: eslint is not installed; only the syntax was checked" >&2
fi
