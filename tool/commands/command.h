// A subcommand of the program: it adds itself and its options to the
// command line, checks its arguments once they are parsed, and runs on a
// session with the library loaded.
#pragma once

#include <memory>
#include <vector>

namespace CLI {
class App;
class FormatterBase;
}  // namespace CLI

namespace kelvane::tool {

class Session;

class Command {
public:
    virtual ~Command() = default;

    // Adds the subcommand to the program's command line.
    virtual void Add(CLI::App& program) = 0;
    // The subcommand is the one on the command line.
    bool Chosen() const;
    // Checks the arguments (UsageError) before the library is loaded.
    virtual void Prepare() {}
    // Runs it; Failure when an operation fails.
    virtual void Run(Session& session) = 0;
    // False for a subcommand that only a run of the program makes (serve),
    // never a run inside another process's server.
    virtual bool RunsInProcess() const { return true; }

protected:
    // Adds a subcommand to parent: its synopsis (the usage line of its help,
    // after "kelvane "), a summary for the list of subcommands, and the
    // details of its help page (lines of at most 78 characters).
    static CLI::App* AddSubcommand(CLI::App& parent, const char* name, const char* synopsis, const char* summary,
                                   const char* details);

    CLI::App* subcommand_ = nullptr;
};

// The help pages' layout: a subcommand's usage line is its synopsis. Set on
// the program's command line before the subcommands are added.
std::shared_ptr<CLI::FormatterBase> MakeHelpFormatter();

std::unique_ptr<Command> MakeListCommand();
std::unique_ptr<Command> MakeDetectCommand();
std::unique_ptr<Command> MakeGetCommand();
std::unique_ptr<Command> MakeSetCommand();
std::unique_ptr<Command> MakeDumpCommand();
std::unique_ptr<Command> MakeTransferCommand();
std::unique_ptr<Command> MakeGpioCommand();
std::unique_ptr<Command> MakeAdcCommand();
std::unique_ptr<Command> MakeDacCommand();
std::unique_ptr<Command> MakeConfigCommand();
std::unique_ptr<Command> MakeResetCommand();
std::unique_ptr<Command> MakeServeCommand();

// Every subcommand, in the order of the help page.
std::vector<std::unique_ptr<Command>> AllCommands();

}  // namespace kelvane::tool
