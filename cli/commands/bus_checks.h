// Checks of the bus commands' arguments. The frame makes the presence
// checks before it hands over to a command; each command starts with the
// speed check.
#pragma once

#include "commands/run_context.h"

namespace kelvane::cli {

inline constexpr std::int32_t kMinimumSpeed = 48000;
inline constexpr std::int32_t kMaximumSpeed = 400000;

// The speed lies from 48000 to 400000 bps, else kExitInvalidSpeed.
StepResult CheckSpeed(RunContext& run);

// i2cR: a slave address (kExitI2cReadFailed).
StepResult CheckI2cReadArguments(RunContext& run);
// i2cW and i2cWF: a slave address (kExitI2cWriteFailed); i2cW also a data
// byte (kExitNoI2cData).
StepResult CheckI2cWriteArguments(RunContext& run);
// smbR: a slave address, then a register index (kExitSmbReadFailed).
StepResult CheckSmbReadArguments(RunContext& run);
// smbW and smbWF: a slave address, then a register index
// (kExitSmbWriteFailed); smbW also a data byte (kExitNoSmbData).
StepResult CheckSmbWriteArguments(RunContext& run);

}  // namespace kelvane::cli
