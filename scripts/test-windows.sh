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
# Debian's wine starts 32-bit programs through its 32-bit loader (wine32);
# a host without IA-32 execution (some virtual machines) refuses it, and a
# host where wine32 could not be installed has none: there no 32-bit
# program can run. The 32-bit build is still made and its binaries checked;
# its tests under wine (label "wine") are left out, and this says so.
runs_32_bit=yes
why=""
if [ ! -x /usr/lib/wine/wine ]; then
  runs_32_bit=no why="wine32 is not installed"
elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  runs_32_bit=no why="no IA-32 execution"
fi
for target in "${targets[@]}"; do
  echo "== Windows tests under wine: build-$target =="
  if [ "$target" = win32 ] && [ "$runs_32_bit" = no ]; then
    echo "NOTE: this host cannot run 32-bit programs ($why): the tests of build-win32"
    echo "NOTE: that run under wine are left out; only its binary checks run. build-win64 runs them all."
    ctest --test-dir "build-$target" --output-on-failure -j"$jobs" -LE wine
  else
    ctest --test-dir "build-$target" --output-on-failure -j"$jobs"
  fi
done
