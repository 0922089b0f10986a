// The program frame: the command line with every subcommand, parsing,
// loading the library, running the chosen subcommand, and the exit status.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "commands/command.h"
#include "common/options.h"

namespace kelvane::tool {

struct CommandLine {
    CLI::App app;
    CommonOptions options;
    std::vector<std::unique_ptr<Command>> commands;

    CommandLine();
};

// A command line parsed and checked, before the library is loaded.
struct ParsedLine {
    enum class Kind {
        kRun,    // run `chosen` with `settings`
        kHelp,   // print `text`, the help asked for
        kUsage,  // a usage error: `text` is its message
    };
    Kind kind = Kind::kUsage;
    std::string text;
    Command* chosen = nullptr;
    Settings settings;
};

// Parses arguments (UTF-8, the program's name first) into line.
ParsedLine ParseLine(CommandLine& line, const std::vector<std::string>& arguments);

// Runs the program on its arguments and returns the exit status.
int RunProgram(const std::vector<std::string>& arguments);

}  // namespace kelvane::tool
