// get ADDR [REG [MODE [LENGTH]]]: one read, as i2cget makes it. Without a
// register, one byte read from the slave; with one, the register read of
// the mode (b by default), a write of the register and a read with a
// repeated start.
#include <CLI/CLI.hpp>

#include "bus/slave_access.h"
#include "commands/command.h"
#include "common/failure.h"
#include "common/numbers.h"
#include "common/session.h"

namespace kelvane::tool {
namespace {

class GetCommand : public Command {
public:
    void Add(CLI::App& program) override {
        subcommand_ =
            AddSubcommand(program, "get", "get [-a] ADDR [REG [MODE [LENGTH]]]", "reads a register, as i2cget",
                          "Reads register REG (0x00 to 0xff) of the slave at 7-bit address ADDR: the\n"
                          "register is written and the read follows with a repeated start. MODE is\n"
                          "b (a byte, the default), w (a word, low byte first), s (an SMBus block:\n"
                          "count byte, then data) or i (an I2C block of LENGTH bytes, 1 to 32,\n"
                          "default 32); p after b, w or s checks the packet error code. Without REG\n"
                          "one byte is read from the slave. Prints 0x.. values as i2cget does.");
        subcommand_->add_flag("-a", all_, "allow the addresses 0x00-0x07 and 0x78-0x7f");
        subcommand_->add_option("ARGUMENTS", arguments_, "ADDR [REG [MODE [LENGTH]]]")
            ->type_name("")
            ->required()
            ->expected(1, 4);
    }

    void Prepare() override {
        address_ = SlaveAddress(arguments_[0], all_);
        if (arguments_.size() >= 2) {
            reg_ = static_cast<std::uint8_t>(NumberIn(arguments_[1], 0, 0xFF, "REG"));
        }
        if (arguments_.size() >= 3) {
            const std::optional<AccessMode> mode = ParseAccessMode(arguments_[2]);
            if (!mode) {
                throw UsageError("get: MODE must be b, w, s or i, with p after b, w or s (got '" + arguments_[2] +
                                 "')");
            }
            mode_ = *mode;
        }
        if (arguments_.size() == 4) {
            if (mode_.size != AccessMode::Size::kI2cBlock) {
                throw UsageError("get: LENGTH goes with mode i only");
            }
            length_ = NumberIn(arguments_[3], 1, kSmbusBlockMax, "LENGTH");
        }
    }

    void Run(Session& session) override {
        session.Connect();
        const SlaveAccess slave(session.Lib(), session.Speed(), address_);
        std::vector<std::uint8_t> data;
        nlohmann::json& document = session.Out().Document();
        document["address"] = address_;
        if (!reg_) {
            Check(slave.ReadPlain(1, data), slave.What("get: read"));
            document["register"] = nullptr;
            document["mode"] = nullptr;
        } else {
            Check(slave.Read(*reg_, mode_, length_, data), slave.What("get: read of register " + Hex2(*reg_)));
            document["register"] = *reg_;
            document["mode"] = mode_.Name();
        }
        document["data"] = data;
        if (!mode_.IsBlock()) {
            const unsigned value = mode_.size == AccessMode::Size::kWord && reg_ ? data[0] | (data[1] << 8) : data[0];
            document["value"] = value;
            session.Out().Line(mode_.size == AccessMode::Size::kWord && reg_ ? Hex4(value) : Hex2(value));
            return;
        }
        std::string line;
        for (const std::uint8_t byte : data) {
            line += (line.empty() ? "" : " ") + Hex2(byte);
        }
        session.Out().Line(line);
    }

private:
    bool all_ = false;
    std::vector<std::string> arguments_;
    std::uint8_t address_ = 0;
    std::optional<std::uint8_t> reg_;
    AccessMode mode_;
    std::size_t length_ = kSmbusBlockMax;
};

}  // namespace

std::unique_ptr<Command> MakeGetCommand() {
    return std::make_unique<GetCommand>();
}

}  // namespace kelvane::tool
