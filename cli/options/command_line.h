// Parsing of KelvaneCLI's command line into its option record: the ordered
// rules that recognise one argument, and the whole command line.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "options/cli_options.h"

namespace kelvane::cli {

// Capacities, including the terminator, of the temporary texts of list and
// pec values (serialNumber and the file paths have theirs in the record).
inline constexpr std::size_t kDataListCapacity = 197000;
inline constexpr std::size_t kGpioListCapacity = 29;
inline constexpr std::size_t kPecTextCapacity = 4;

// Tries the rules in order on one argument and applies the first that
// matches. Returns false when no rule matches; options is then unchanged.
bool ApplyOptionRules(std::wstring_view argument, CliOptions& options);

enum class ParseResult { Ok, InvalidArgument };

// Parses arguments[1] onwards (arguments[0] is the program's own name) in
// order, one option per argument; an empty argument is skipped. Stops at
// the first argument that matches no rule and returns InvalidArgument,
// leaving the report and the exit to the caller. Never runs a command.
ParseResult ParseCommandLine(std::span<const std::wstring> arguments, CliOptions& options);

}  // namespace kelvane::cli
