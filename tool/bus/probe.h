// How detect finds out whether a slave answers at an address: one transfer,
// a write of no data bytes (the address alone) or a read of one byte, with
// i2cdetect's choice between them.
#pragma once

#include <cstdint>

#include "common/library.h"

namespace kelvane::tool {

enum class Probe { kWrite, kRead };

// "write" or "read".
const char* ProbeName(Probe probe);

// i2cdetect's choice: a read at 0x30-0x37 and 0x50-0x5f, where a write could
// change an EEPROM's address pointer or its write protection; a write
// elsewhere.
Probe DefaultProbe(unsigned address7);

// The result of the probe's transfer: 0 when a slave acknowledged.
int ProbeAddress(const Library& library, unsigned speed, std::uint8_t address7, Probe probe);

}  // namespace kelvane::tool
