// set [-m MASK] [-r] ADDR REG [VALUE...] [MODE]: one register write, as
// i2cset makes it: the register and the value(s) in one I2C write (with the
// packet error code after them for a p mode). Without a value, the register
// alone (i2cset's short write). -m writes only the bits set in MASK,
// keeping the others as read; -r reads back and fails on a difference.
#include <CLI/CLI.hpp>

#include "bus/slave_access.h"
#include "commands/command.h"
#include "common/failure.h"
#include "common/numbers.h"
#include "common/session.h"

namespace kelvane::tool {
namespace {

std::string ValuesText(AccessMode mode, const std::vector<std::uint8_t>& bytes) {
    if (mode.size == AccessMode::Size::kWord) {
        return Hex4(bytes[0] | (bytes[1] << 8));
    }
    std::string text;
    for (const std::uint8_t byte : bytes) {
        text += (text.empty() ? "" : " ") + Hex2(byte);
    }
    return text;
}

class SetCommand : public Command {
public:
    void Add(CLI::App& program) override {
        subcommand_ = AddSubcommand(program, "set", "set [-m MASK] [-r] [-a] ADDR REG [VALUE...] [MODE]",
                                    "writes a register, as i2cset",
                                    "Writes REG and the value(s) to the slave at ADDR in one I2C write. MODE is\n"
                                    "b (a byte, the default), w (a word, low byte first), s (an SMBus block:\n"
                                    "count byte, then the values) or i (an I2C block); s and i take 1 to 32\n"
                                    "values; p after b, w or s adds the packet error code. Without VALUE only\n"
                                    "REG is written (i2cset's short write). -m MASK writes only the bits set\n"
                                    "in MASK and keeps the others as read (b and w); -r reads the register\n"
                                    "back and fails when it differs.");
        subcommand_->add_option("-m", mask_, "write only the bits set in MASK (modes b and w)")->type_name("MASK");
        subcommand_->add_flag("-r", readBack_, "read the register back and fail when it differs");
        subcommand_->add_flag("-a", all_, "allow the addresses 0x00-0x07 and 0x78-0x7f");
        subcommand_->add_option("ARGUMENTS", arguments_, "ADDR REG [VALUE...] [MODE]")
            ->type_name("")
            ->required()
            ->expected(2, -1);
    }

    void Prepare() override {
        std::vector<std::string> values(arguments_.begin() + 2, arguments_.end());
        if (!values.empty()) {
            if (const std::optional<AccessMode> mode = ParseAccessMode(values.back())) {
                mode_ = *mode;
                values.pop_back();
            }
        }
        address_ = SlaveAddress(arguments_[0], all_);
        reg_ = static_cast<std::uint8_t>(NumberIn(arguments_[1], 0, 0xFF, "REG"));
        const bool hasMask = subcommand_->get_option("-m")->count() > 0;
        if (values.empty()) {
            if (arguments_.size() > 2 || hasMask || readBack_) {
                throw UsageError("set: a VALUE is needed for a mode, -m or -r");
            }
            return;
        }
        if (mode_.IsBlock()) {
            if (values.size() > kSmbusBlockMax) {
                throw UsageError("set: at most 32 values in a block");
            }
            if (hasMask) {
                throw UsageError("set: -m is not supported for block writes");
            }
            for (const std::string& value : values) {
                bytes_.push_back(static_cast<std::uint8_t>(NumberIn(value, 0, 0xFF, "VALUE")));
            }
            return;
        }
        if (values.size() != 1) {
            throw UsageError("set: mode " + mode_.Name() + " takes one VALUE (got " + std::to_string(values.size()) +
                             "; is the mode misspelt?)");
        }
        const std::uint32_t max = mode_.size == AccessMode::Size::kWord ? 0xFFFF : 0xFF;
        value_ = NumberIn(values[0], 0, max, "VALUE");
        if (hasMask) {
            maskValue_ = NumberIn(mask_, 1, max, "MASK");
        }
    }

    void Run(Session& session) override {
        session.Connect();
        const SlaveAccess slave(session.Lib(), session.Speed(), address_);
        nlohmann::json& document = session.Out().Document();
        document["address"] = address_;
        document["register"] = reg_;
        const std::string where = "register " + Hex2(reg_);
        if (bytes_.empty() && !value_) {
            Check(slave.Write(std::vector<std::uint8_t>{reg_}, false), slave.What("set: write of " + where));
            document["mode"] = nullptr;
            document["written"] = nlohmann::json::array();
            return;
        }
        document["mode"] = mode_.Name();
        if (value_) {
            std::uint32_t value = *value_;
            if (maskValue_) {
                std::vector<std::uint8_t> old;
                Check(slave.Read(reg_, mode_, 0, old), slave.What("set: read of the old value of " + where));
                const std::uint32_t oldValue = mode_.size == AccessMode::Size::kWord ? old[0] | (old[1] << 8) : old[0];
                value = (value & *maskValue_) | (oldValue & ~*maskValue_);
                document["old"] = oldValue;
            }
            bytes_ = {static_cast<std::uint8_t>(value & 0xFF)};
            if (mode_.size == AccessMode::Size::kWord) {
                bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
            }
        }
        std::vector<std::uint8_t> stream{reg_};
        if (mode_.size == AccessMode::Size::kSmbusBlock) {
            stream.push_back(static_cast<std::uint8_t>(bytes_.size()));
        }
        stream.insert(stream.end(), bytes_.begin(), bytes_.end());
        Check(slave.Write(stream, mode_.pec), slave.What("set: write of " + where));
        document["written"] = bytes_;
        if (!readBack_) {
            return;
        }
        std::vector<std::uint8_t> read;
        Check(slave.Read(reg_, mode_, bytes_.size(), read), slave.What("set: read back of " + where));
        document["read_back"] = read;
        if (read != bytes_) {
            throw Failure(slave.What("set: data mismatch at " + where) + ": wrote " + ValuesText(mode_, bytes_) +
                          ", read back " + ValuesText(mode_, read));
        }
        document["matched"] = true;
        session.Out().Line(std::string(mode_.IsBlock() ? "Values " : "Value ") + ValuesText(mode_, bytes_) +
                           " written, readback matched");
    }

private:
    std::string mask_;
    bool readBack_ = false;
    bool all_ = false;
    std::vector<std::string> arguments_;
    std::uint8_t address_ = 0;
    std::uint8_t reg_ = 0;
    AccessMode mode_;
    std::optional<std::uint32_t> value_;
    std::optional<std::uint32_t> maskValue_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::unique_ptr<Command> MakeSetCommand() {
    return std::make_unique<SetCommand>();
}

}  // namespace kelvane::tool
