// The state file of the virtual chips: what each chip of a bench keeps
// between runs of the program, as a real chip keeps it while it stays
// powered — flash (settings, password, GP block, strings), runtime settings
// and pins, and the memories of the EEPROMs and SMBus devices on its bus.
// The I2C engine, the fault rules and the levels seen on input pins are
// not kept: each run takes them from the bench afresh.
//
// A text file, one chip after the other:
//
//   kelvane-virtual-state 1
//   chip <port> <vid> <pid> <serial number of the bench file, or ->
//   flash-settings <10 bytes, hexadecimal>
//   flash-password <8 bytes>
//   flash-gp <4 pin bytes>
//   flash-manufacturer <UTF-16 units, 4 hexadecimal digits each>
//   flash-product <units>
//   flash-serial <units>
//   flash-factory <bytes>
//   runtime-settings <10 bytes>
//   runtime-gp <4 pin bytes>
//   runtime-flags <interrupt pending 0|1> <access granted 0|1>
//   eeprom <7-bit address> <memory bytes>
//   smbus <7-bit address> <register bytes>
//   end
//
// A chip's state is applied only to the chip of the same port that the
// bench describes with the same identifiers and serial number, and a
// device's memory only to a device of the same kind and size at that
// address; the rest of the bench keeps its described start. A text that is
// not a state file in every line is ignored as a whole.
#pragma once

#include <string>
#include <string_view>

#include "bench/bench.h"
#include "bench/bench_description.h"

namespace kelvane::sim {

std::string ChipStateText(Bench& bench, const BenchDescription& description);

// False, with the bench untouched, when the text is not a well-formed state.
bool ApplyChipStateText(std::string_view text, Bench& bench, const BenchDescription& description);

// The same over a file. Saving writes a file beside it and renames it over
// the old one, so that an interrupted save leaves the old state; failures
// are silent (the library never reports them).
bool SaveChipState(const std::string& path, Bench& bench, const BenchDescription& description);
bool LoadChipState(const std::string& path, Bench& bench, const BenchDescription& description);

}  // namespace kelvane::sim
