#include "parse_command_line.h"

#include "option_rules.h"

namespace kelvane::cli {

ParseResult ParseCommandLine(std::span<const std::wstring> arguments, CliOptions& options) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i].empty()) {
            continue;
        }
        if (!ApplyOptionRules(arguments[i], options)) {
            return ParseResult::InvalidArgument;
        }
    }
    return ParseResult::Ok;
}

}  // namespace kelvane::cli
