#include "commands/command.h"

#include <map>
#include <string>

#include <CLI/CLI.hpp>

namespace kelvane::tool {
namespace {

constexpr char kNumbersNote[] =
    "Numbers are written as in i2c-tools: 0x... hexadecimal, 0... octal, else\n"
    "decimal. Exit status: 0 success, 1 an operation failed, 2 a usage error.";

class HelpFormatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App* app, std::string name) const override {
        const auto found = synopses_.find(app);
        if (found == synopses_.end()) {
            return CLI::Formatter::make_usage(app, std::move(name));
        }
        return "Usage: kelvane " + found->second + "\n";
    }

    void SetSynopsis(const CLI::App* app, std::string synopsis) { synopses_[app] = std::move(synopsis); }

private:
    std::map<const CLI::App*, std::string> synopses_;
};

}  // namespace

std::shared_ptr<CLI::FormatterBase> MakeHelpFormatter() {
    return std::make_shared<HelpFormatter>();
}

CLI::App* Command::AddSubcommand(CLI::App& parent, const char* name, const char* synopsis, const char* summary,
                                 const char* details) {
    CLI::App* subcommand = parent.add_subcommand(name, summary);
    if (const auto formatter = std::dynamic_pointer_cast<HelpFormatter>(parent.get_formatter())) {
        formatter->SetSynopsis(subcommand, synopsis);
    }
    subcommand->footer(std::string(details) + "\n\n" + kNumbersNote);
    return subcommand;
}

bool Command::Chosen() const {
    return subcommand_ != nullptr && subcommand_->parsed();
}

std::vector<std::unique_ptr<Command>> AllCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(MakeListCommand());
    commands.push_back(MakeDetectCommand());
    commands.push_back(MakeGetCommand());
    commands.push_back(MakeSetCommand());
    commands.push_back(MakeDumpCommand());
    commands.push_back(MakeTransferCommand());
    commands.push_back(MakeGpioCommand());
    commands.push_back(MakeAdcCommand());
    commands.push_back(MakeDacCommand());
    commands.push_back(MakeConfigCommand());
    commands.push_back(MakeResetCommand());
    commands.push_back(MakeServeCommand());
    return commands;
}

}  // namespace kelvane::tool
