#include "option_steps.h"

#include "commands/exit_codes.h"
#include "help/show_help.h"
#include "options/command_line.h"

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
