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

// Runs the program on its arguments (UTF-8, the program's name first) and
// returns the exit status.
int RunProgram(const std::vector<std::string>& arguments);

}  // namespace kelvane::tool
