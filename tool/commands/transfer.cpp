// transfer [--allow-stop] DESC...: i2ctransfer's messages, one output line
// per read message (bus/transfer_messages.h tells which combinations the
// chip runs as one transfer).
#include <CLI/CLI.hpp>

#include "bus/slave_access.h"
#include "bus/transfer_messages.h"
#include "commands/command.h"
#include "common/failure.h"
#include "common/session.h"

namespace kelvane::tool {
namespace {

class TransferCommand : public Command {
public:
    void Add(CLI::App& program) override {
        subcommand_ = AddSubcommand(program, "transfer", "transfer [--allow-stop] [-a] DESC [DATA]...",
                                    "I2C messages, as i2ctransfer",
                                    "Runs i2ctransfer's messages and prints a line per read message. DESC is\n"
                                    "{r|w}LENGTH[@ADDR]: a read or write of LENGTH bytes at ADDR, or at the\n"
                                    "address of the message before. A write's LENGTH data bytes follow it; a\n"
                                    "byte with the suffix = (the same), + (counting up) or - (counting down)\n"
                                    "fills the rest of its message. The chip runs one write, one read, or a\n"
                                    "write of one byte followed by a read of the same address (a register\n"
                                    "read, with a repeated start) as one transfer; other sequences are refused\n"
                                    "unless --allow-stop runs them one after another with a stop between.");
        subcommand_->add_flag("--allow-stop", allowStop_, "run the messages one after another, with a stop between");
        subcommand_->add_flag("-a", all_, "allow the addresses 0x00-0x07 and 0x78-0x7f");
        subcommand_->add_option("MESSAGES", arguments_, "DESC [DATA]...")->required()->expected(1, -1)->type_name("");
    }

    void Prepare() override {
        messages_ = ParseMessages(arguments_, all_);
        transfers_ = PlanTransfers(messages_, allowStop_);
    }

    void Run(Session& session) override {
        session.Connect();
        nlohmann::json& document = session.Out().Document();
        document["messages"] = nlohmann::json::array();
        for (const BusTransfer& transfer : transfers_) {
            Message& first = messages_[transfer.first];
            const SlaveAccess slave(session.Lib(), session.Speed(), first.address);
            int result = 0;
            if (transfer.count == 2) {
                Message& read = messages_[transfer.first + 1];
                result = slave.ReadRegisters(first.data[0], read.length, false, read.data);
            } else if (first.read) {
                result = slave.ReadPlain(first.length, first.data);
            } else {
                result = slave.Write(first.data, false);
            }
            const std::size_t last = transfer.first + transfer.count - 1;
            if (result != 0) {
                throw Failure("transfer: message " + std::to_string(last + 1) + " (" + Describe(messages_[last]) + ")",
                              result);
            }
            for (std::size_t i = transfer.first; i <= last; ++i) {
                Report(session, messages_[i]);
            }
        }
    }

private:
    static void Report(Session& session, const Message& message) {
        session.Out().Document()["messages"].push_back({{"direction", message.read ? "read" : "write"},
                                                        {"address", message.address},
                                                        {"length", message.length},
                                                        {"data", message.data}});
        if (!message.read) {
            return;
        }
        std::string line;
        for (const std::uint8_t byte : message.data) {
            line += (line.empty() ? "" : " ") + Hex2(byte);
        }
        session.Out().Line(line);
    }

    bool allowStop_ = false;
    bool all_ = false;
    std::vector<std::string> arguments_;
    std::vector<Message> messages_;
    std::vector<BusTransfer> transfers_;
};

}  // namespace

std::unique_ptr<Command> MakeTransferCommand() {
    return std::make_unique<TransferCommand>();
}

}  // namespace kelvane::tool
