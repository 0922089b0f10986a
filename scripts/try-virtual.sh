#!/usr/bin/env bash
# Builds the virtual-chip flavour of the library with KelvaneCLI and kelvane
# beside it (build/virtual/), nothing else, and runs the programs against its
# virtual chip: lists the chips, reads 8 bytes from the EEPROM at 7-bit
# address 0x50, then scans the bus with kelvane.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only the compiler, CMake and the programs' header-only libraries: none of
# what the tests need (scripts/setup.sh with no argument installs that).
bash scripts/setup.sh programs

# A new build folder is made without the tests and the benchmarks, whose
# libraries this does not install; one that exists keeps its settings
# (scripts/test.sh turns them on in it).
if [ -f build/CMakeCache.txt ]; then
  cmake -S . -B build >/dev/null
else
  cmake -S . -B build -DKELVANE_BUILD_TESTS=OFF -DKELVANE_BUILD_BENCH=OFF >/dev/null
fi
cmake --build build -j2 --target kelvane_virtual_dll KelvaneCLI kelvane

# The default bench, whatever the caller's environment names.
unset KELVANE_SIM_BENCH
cd build/virtual
echo
echo "\$ ./KelvaneCLI -devices"
./KelvaneCLI -devices
echo
echo "\$ ./KelvaneCLI -i2cr=8 -slave7=50"
./KelvaneCLI -i2cr=8 -slave7=50
echo
echo "\$ ./kelvane detect"
./kelvane detect
