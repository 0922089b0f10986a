#!/usr/bin/env bash
# Builds the virtual-chip flavour of the library and KelvaneCLI beside it
# (build/virtual/), nothing else, and runs the program against its virtual
# chip: lists the chips, then reads 8 bytes from the EEPROM at 7-bit
# address 0x50.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake -S . -B build >/dev/null
cmake --build build -j2 --target kelvane_virtual_dll KelvaneCLI

# The default bench, whatever the caller's environment names.
unset KELVANE_SIM_BENCH
cd build/virtual
echo
echo "\$ ./KelvaneCLI -devices"
./KelvaneCLI -devices
echo
echo "\$ ./KelvaneCLI -i2cr=8 -slave7=50"
./KelvaneCLI -i2cr=8 -slave7=50
