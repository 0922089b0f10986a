// The bench file: a text description of a bench of virtual chips, read by
// the virtual-chip flavour of the library at start-up. docs/virtual-bench.md
// describes the format; in short:
//
//   # comment
//   state=kelvane-virtual-state.txt
//   plug=plugs.txt
//   chip vid=1209 pid=4b56 serial=KV000001
//     eeprom addr7=50 size=256 pattern=index
//     smbus addr7=0b registers=256 block=4 pec=on
//     gp pin=0 designation=1
//     fault kind=no-answer command=91 times=1
//     engine state=25
//   foreign id=HID\VID_046D&PID_C52B
//
// Device, gp, fault and engine lines belong to the chip line before them.
#pragma once

#include <optional>
#include <string_view>

#include "bench/bench_description.h"

namespace kelvane::sim {

// The bench the text describes, or nullopt when any line of it is
// malformed (an unknown word, a missing or out-of-range value, a device
// line before the first chip, two devices at one address, more than 64
// ports).
std::optional<BenchDescription> ParseBenchFile(std::string_view text);

// The bench of the file at path; the empty bench when the file cannot be
// read or is malformed.
BenchDescription LoadBenchFile(const char* path);

}  // namespace kelvane::sim
