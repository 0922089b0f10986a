// The configuration of the selected chip, read through the library's
// getters: the flash (power-up) copy wherever the library reaches it, the
// runtime settings for the DAC and ADC (the library keeps them there only)
// and for the protection state (what the chip enforces now).
#pragma once

#include "common/library.h"
#include "config/config_keys.h"

namespace kelvane::tool {

// Every exported key; Failure when a getter fails or reports a value
// outside its key's range.
Config ReadChipConfig(const Library& library);

}  // namespace kelvane::tool
