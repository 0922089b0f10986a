// The I2C and SMBus commands of KelvaneCLI. Each runs on the selected chip
// after the frame's presence checks, starts with the speed check, makes one
// library call and reports it. All end the run, except an I2C read whose
// result went to a file, after which the run goes on.
#pragma once

#include <cstddef>

#include "commands/run_context.h"

namespace kelvane::cli {

// Read buffer, I2C file buffer and SMBus write buffer.
inline constexpr std::size_t kBusBufferSize = 65536;

inline constexpr std::int32_t kMaxI2cBytes = 65535;
inline constexpr std::int32_t kMaxSmbusBytes = 65534;

StepResult I2cReadCommand(RunContext& run);
int I2cWriteCommand(RunContext& run);
int SmbReadCommand(RunContext& run);
int SmbWriteCommand(RunContext& run);

}  // namespace kelvane::cli
