// The ordered rules that recognise one command-line argument.
#ifndef KELVANE_CLI_OPTION_RULES_H
#define KELVANE_CLI_OPTION_RULES_H

#include <cstddef>
#include <string_view>

#include "cli_options.h"

namespace kelvane::cli {

// Capacities, including the terminator, of the temporary texts of list and
// pec values (serialNumber and the file paths have theirs in the record).
inline constexpr std::size_t kDataListCapacity = 197000;
inline constexpr std::size_t kGpioListCapacity = 29;
inline constexpr std::size_t kPecTextCapacity = 4;

// Tries the rules in order on one argument and applies the first that
// matches. Returns false when no rule matches; options is then unchanged.
bool ApplyOptionRules(std::wstring_view argument, CliOptions& options);

}  // namespace kelvane::cli

#endif
