// dump [-r FIRST-LAST] ADDR [MODE]: the slave's registers in i2cdump's
// grids: 16 bytes a row with their characters (b, s, i), or 8 words a row
// (w). b and w read each register on its own, i reads blocks of 32, s one
// SMBus block from register 0. A register that cannot be read shows XX.
#include <algorithm>
#include <cstdio>

#include <CLI/CLI.hpp>

#include "bus/slave_access.h"
#include "commands/command.h"
#include "common/failure.h"
#include "common/numbers.h"
#include "common/progress.h"
#include "common/session.h"

namespace kelvane::tool {
namespace {

// A value per register; -1 where it could not be read.
using Values = std::vector<int>;

char Printable(int value) {
    if (value < 0) {
        return 'X';
    }
    if (value == 0x00 || value == 0xFF) {
        return '.';
    }
    if (value < 32 || value >= 127) {
        return '?';
    }
    return static_cast<char>(value);
}

// i2cdump's grid of bytes with the character column; values[i] belongs to
// register first + i.
std::string ByteGrid(const Values& values, unsigned first, unsigned last) {
    std::string grid = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n";
    for (unsigned row = first / 16 * 16; row <= last; row += 16) {
        char text[16];
        std::snprintf(text, sizeof text, "%02x: ", row);
        grid += text;
        std::string characters;
        for (unsigned reg = row; reg < row + 16; ++reg) {
            if (reg < first || reg > last) {
                grid += "   ";
                characters += ' ';
                continue;
            }
            const int value = values[reg - first];
            if (value < 0) {
                grid += "XX ";
            } else {
                std::snprintf(text, sizeof text, "%02x ", static_cast<unsigned>(value));
                grid += text;
            }
            characters += Printable(value);
        }
        grid += "   " + characters + "\n";
    }
    return grid;
}

// i2cdump's grid of words, 8 registers a row.
std::string WordGrid(const Values& values, unsigned first, unsigned last) {
    std::string grid = "     0,8  1,9  2,a  3,b  4,c  5,d  6,e  7,f\n";
    for (unsigned row = first / 8 * 8; row <= last; row += 8) {
        char text[16];
        std::snprintf(text, sizeof text, "%02x: ", row);
        grid += text;
        for (unsigned reg = row; reg < row + 8; ++reg) {
            if (reg < first || reg > last) {
                grid += "     ";
            } else if (values[reg - first] < 0) {
                grid += "XXXX ";
            } else {
                std::snprintf(text, sizeof text, "%04x ", static_cast<unsigned>(values[reg - first]));
                grid += text;
            }
        }
        grid += "\n";
    }
    return grid;
}

class DumpCommand : public Command {
public:
    void Add(CLI::App& program) override {
        subcommand_ =
            AddSubcommand(program, "dump", "dump [-r FIRST-LAST] [-a] ADDR [MODE]", "the slave's registers, as i2cdump",
                          "Reads registers 0x00 to 0xff (FIRST to LAST with -r) of the slave at ADDR\n"
                          "and prints them in i2cdump's layout: 16 bytes a row with their\n"
                          "characters, or 8 words a row. MODE is b (each register a byte read, the\n"
                          "default), w (each register a word read), s (the SMBus block of register\n"
                          "0; not with -r) or i (I2C block reads of 32 bytes); p after b, w or s\n"
                          "checks the packet error codes. XX marks a register that cannot be read.");
        subcommand_->add_option("-r", range_, "only the registers FIRST to LAST (not with mode s)")
            ->type_name("FIRST-LAST");
        subcommand_->add_flag("-a", all_, "allow the addresses 0x00-0x07 and 0x78-0x7f");
        subcommand_->add_option("ARGUMENTS", arguments_, "ADDR [MODE]")->type_name("")->required()->expected(1, 2);
    }

    void Prepare() override {
        address_ = SlaveAddress(arguments_[0], all_);
        if (arguments_.size() == 2) {
            const std::optional<AccessMode> mode = ParseAccessMode(arguments_[1]);
            if (!mode) {
                throw UsageError("dump: MODE must be b, w, s or i, with p after b, w or s (got '" + arguments_[1] +
                                 "')");
            }
            mode_ = *mode;
        }
        if (range_.empty()) {
            return;
        }
        if (mode_.size == AccessMode::Size::kSmbusBlock) {
            throw UsageError("dump: -r is not available with mode s");
        }
        const std::size_t dash = range_.find('-');
        if (dash == std::string::npos) {
            throw UsageError("dump: -r takes FIRST-LAST (got '" + range_ + "')");
        }
        first_ = NumberIn(range_.substr(0, dash), 0, 0xFF, "FIRST");
        last_ = NumberIn(range_.substr(dash + 1), 0, 0xFF, "LAST");
        if (last_ < first_) {
            throw UsageError("dump: LAST is below FIRST");
        }
    }

    void Run(Session& session) override {
        session.Connect();
        const SlaveAccess slave(session.Lib(), session.Speed(), address_);
        Values values;
        int lastFailure = 0;
        if (mode_.size == AccessMode::Size::kSmbusBlock) {
            std::vector<std::uint8_t> block;
            Check(slave.ReadSmbusBlock(0, mode_.pec, block), slave.What("dump: SMBus block read of register 0x00"));
            values.assign(block.begin(), block.end());
            first_ = 0;
            last_ = static_cast<unsigned>(block.size() - 1);
        } else {
            Progress progress(ProgressShown(session.Options().json));
            const unsigned step = mode_.size == AccessMode::Size::kI2cBlock ? kSmbusBlockMax : 1;
            for (unsigned reg = first_; reg <= last_; reg += step) {
                progress.Step("dump " + Hex2(reg), reg - first_ + 1, last_ - first_ + 1);
                const std::size_t count = std::min<std::size_t>(step, last_ - reg + 1);
                std::vector<std::uint8_t> data;
                const int result = slave.Read(static_cast<std::uint8_t>(reg), mode_, count, data);
                if (ChipUnreachable(result)) {
                    throw Failure(slave.What("dump: read of register " + Hex2(reg)), result);
                }
                if (result != 0) {
                    lastFailure = result;
                    values.insert(values.end(), count, -1);
                } else if (mode_.size == AccessMode::Size::kWord) {
                    values.push_back(data[0] | (data[1] << 8));
                } else {
                    values.insert(values.end(), data.begin(), data.end());
                }
            }
        }
        if (std::all_of(values.begin(), values.end(), [](int value) { return value < 0; })) {
            throw Failure(slave.What("dump: no register could be read"), lastFailure);
        }
        nlohmann::json& document = session.Out().Document();
        document["address"] = address_;
        document["mode"] = mode_.Name();
        document["first"] = first_;
        document["last"] = last_;
        document["values"] = nlohmann::json::array();
        for (const int value : values) {
            document["values"].push_back(value < 0 ? nlohmann::json(nullptr) : nlohmann::json(value));
        }
        std::string grid =
            mode_.size == AccessMode::Size::kWord ? WordGrid(values, first_, last_) : ByteGrid(values, first_, last_);
        grid.pop_back();
        session.Out().Line(grid);
    }

private:
    std::string range_;
    bool all_ = false;
    std::vector<std::string> arguments_;
    std::uint8_t address_ = 0;
    AccessMode mode_;
    unsigned first_ = 0x00;
    unsigned last_ = 0xFF;
};

}  // namespace

std::unique_ptr<Command> MakeDumpCommand() {
    return std::make_unique<DumpCommand>();
}

}  // namespace kelvane::tool
