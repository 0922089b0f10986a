#!/usr/bin/env bash
# Checks that a built library exports exactly the names of the export list:
# no C++ symbol, no helper, nothing missing.
#   check_exports.sh <library file> <exports.list>
set -euo pipefail
lib=$1
list=$2
expected=$(grep -E '^[A-Za-z]' "$list" | awk '{print $1}' | sort)
actual=$(nm -D --defined-only "$lib" | awk '{print $NF}' | sort)
if [ "$expected" != "$actual" ]; then
  echo "exported names differ from $list:"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "$(echo "$actual" | wc -l) names exported, as listed"
