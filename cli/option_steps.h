// The first steps of KelvaneCLI's run: everything that needs neither the
// device-access library nor a chip.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "options/cli_options.h"
#include "output/console_output.h"

namespace kelvane::cli {

// In order: sets the GPIO requests to their defaults, parses the command
// line, shows help when asked for or when there are no arguments, and
// refuses a command line without any command. Returns the exit code when
// the run ends here (after printing its message), or nullopt when a command
// is to run; the caller then goes on with the library.
std::optional<int> RunOptionSteps(std::span<const std::wstring> arguments, CliOptions& options,
                                  ConsoleSink& console);

}  // namespace kelvane::cli
