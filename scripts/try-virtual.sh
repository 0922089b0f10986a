#!/usr/bin/env bash
# Builds everything (build/) and runs KelvaneCLI against the virtual chip of
# the virtual-chip flavour of the library (build/virtual/): lists the chips,
# then reads 8 bytes from the EEPROM at 7-bit address 0x50; then kelvane
# scans the bus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake -S . -B build >/dev/null
cmake --build build -j2

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
