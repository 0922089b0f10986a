// The GPIO commands of KelvaneCLI, on the runtime settings of the selected
// chip. Each prints its report and ends the run.
//
// gpioC and gpioW read the configuration of all four pins, change what was
// asked for and write all four back. When that read fails there is no
// configuration to change: the command then ends as if the write had failed,
// with its failure message and exit code, and writes nothing.
#pragma once

#include "commands/run_context.h"

namespace kelvane::cli {

int GpioConfigureCommand(RunContext& run);
int GpioWriteCommand(RunContext& run);
int GpioReadCommand(RunContext& run);

}  // namespace kelvane::cli
