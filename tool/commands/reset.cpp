// reset: the chip's reset request. The chip answers nothing, leaves the USB
// and comes back as it powers up, with its flash settings.
#include <CLI/CLI.hpp>

#include "commands/command.h"
#include "common/failure.h"
#include "common/session.h"

namespace kelvane::tool {
namespace {

class ResetCommand : public Command {
public:
    void Add(CLI::App& program) override {
        subcommand_ = AddSubcommand(program, "reset", "reset", "resets the chip",
                                    "Resets the chip: it leaves the USB and comes back with its power-up\n"
                                    "(flash) settings, new USB identifiers and protection included.");
    }

    void Run(Session& session) override {
        const ChipInfo chip = session.Connect();
        Check(session.Lib().ResetDevice(), "reset of " + ChipName(chip));
        session.Out().Document()["reset"] = true;
        session.Out().Line(ChipName(chip) + ": reset");
    }
};

}  // namespace

std::unique_ptr<Command> MakeResetCommand() {
    return std::make_unique<ResetCommand>();
}

}  // namespace kelvane::tool
