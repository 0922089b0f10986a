// Parsing of KelvaneCLI's whole command line into its option record.
#ifndef KELVANE_CLI_PARSE_COMMAND_LINE_H
#define KELVANE_CLI_PARSE_COMMAND_LINE_H

#include <span>
#include <string>

#include "cli_options.h"

namespace kelvane::cli {

enum class ParseResult { Ok, InvalidArgument };

// Parses arguments[1] onwards (arguments[0] is the program's own name) in
// order, one option per argument; an empty argument is skipped. Stops at
// the first argument that matches no rule and returns InvalidArgument,
// leaving the report and the exit to the caller. Never runs a command.
ParseResult ParseCommandLine(std::span<const std::wstring> arguments, CliOptions& options);

}  // namespace kelvane::cli

#endif
