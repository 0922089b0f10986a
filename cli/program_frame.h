// The run of KelvaneCLI from its command line to its exit code: options and
// help, binding of the device-access library, the identifier checks, the
// device listing or the connection to a chip, then the commands in their
// order of precedence (devices; i2cR; i2cW/i2cWF; smbR; smbW/smbWF; gpioC;
// gpioW; gpioR). The position of an option on the command line never
// matters, and at most one command chain runs.
#pragma once

#include <span>
#include <string>

#include "binding/library_binding.h"
#include "options/cli_options.h"
#include "output/console_output.h"

namespace kelvane::cli {

// The whole run; returns the exit code, every message already printed.
int RunProgram(std::span<const std::wstring> arguments, CliOptions& options, ConsoleSink& console);

// Everything after the library is bound: identifier checks, library
// initialisation, listing or connection, and the commands.
int RunWithLibrary(const LibraryBinding& library, const CliOptions& options, ConsoleSink& console);

}  // namespace kelvane::cli
