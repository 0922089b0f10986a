#!/usr/bin/env bash
# Builds the Windows flavour (scripts/build-windows.sh) and runs its tests:
# the export and import checks with the MinGW-w64 objdump, the test programs
# under wine, each build in a wine prefix of its own (build-win*/wineprefix)
# with one wineserver kept up while its tests run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-windows.sh "$@"

jobs=$(nproc 2>/dev/null || echo 2)
targets=("$@")
((${#targets[@]})) || targets=(win32 win64)
for target in "${targets[@]}"; do
  echo "== Windows tests under wine: build-$target =="
  ctest --test-dir "build-$target" --output-on-failure -j"$jobs"
done
