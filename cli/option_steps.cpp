#include "option_steps.h"

#include "exit_codes.h"
#include "parse_command_line.h"
#include "show_help.h"

namespace kelvane::cli {

std::optional<int> RunOptionSteps(std::span<const std::wstring> arguments, CliOptions& options,
                                  ConsoleSink& console) {
    ResetGpioRequests(options);
    if (ParseCommandLine(arguments, options) == ParseResult::InvalidArgument) {
        console.Write(L"Error: Invalid Command.");
        return kExitInvalidCommand;
    }
    if (options.helpRequested || arguments.size() <= 1) {
        ShowHelp(options, console);
        return kExitSuccess;
    }
    if (!AnyCommand(options.command)) {
        console.Write(L"Error: Invalid command.\n");
        return kExitInvalidCommand;
    }
    return std::nullopt;
}

}  // namespace kelvane::cli
