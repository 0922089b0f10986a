// Listing of the attached chips and connection to one of them, by index or
// by serial number. GetConnectionStatus is called before and after every
// SelectDev: a selection takes effect at the scan that follows it.
#pragma once

#include <string_view>

#include "commands/run_context.h"

namespace kelvane::cli {

// Prints the number of matching chips and each chip's serial number ("N/A"
// where it cannot be read), or "No devices connected". Always kExitSuccess;
// the last chip listed stays selected.
int ListDevices(RunContext& run);

// Selects the chip at index; nullopt when connected, kExitConnectFailed
// when the index is not below the number of chips.
StepResult ConnectByIndex(RunContext& run, int index);

// Selects the first chip whose serial number equals serial, character for
// character (letter case included) over the whole text; nullopt when one
// matched, else kExitConnectFailed.
StepResult ConnectBySerial(RunContext& run, std::wstring_view serial);

}  // namespace kelvane::cli
