#!/usr/bin/env bash
# Fails when a C++ file differs from what .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' '*.hpp')
[ -n "$files" ] || exit 0
# shellcheck disable=SC2086
clang-format-14 --dry-run --Werror $files
