// detect: the slaves on the bus, in i2cdetect's grid, one probe per address
// (bus/probe.h); -q always writes, -r always reads.
#include <cstdio>

#include <CLI/CLI.hpp>

#include "bus/probe.h"
#include "bus/slave_access.h"
#include "commands/command.h"
#include "common/failure.h"
#include "common/numbers.h"
#include "common/progress.h"
#include "common/session.h"

namespace kelvane::tool {
namespace {

class DetectCommand : public Command {
public:
    void Add(CLI::App& program) override {
        subcommand_ = AddSubcommand(program, "detect", "detect [-q|-r] [-a] [FIRST LAST]",
                                    "the slaves on the bus, in i2cdetect's grid",
                                    "Probes each address from 0x08 to 0x77 (0x00 to 0x7f with -a, or FIRST to\n"
                                    "LAST) with one transfer and prints i2cdetect's grid: the address where a\n"
                                    "slave acknowledges, -- where none does. The probe is a write of no data\n"
                                    "bytes, except at 0x30-0x37 and 0x50-0x5f, where a write could change an\n"
                                    "EEPROM's address pointer or write protection: there it is a read of one\n"
                                    "byte. -q writes and -r reads at every address.");
        subcommand_->add_flag("-q", write_, "probe every address with a write of no data bytes");
        subcommand_->add_flag("-r", read_, "probe every address with a read of one byte");
        subcommand_->add_flag("-a", all_, "scan 0x00-0x7f");
        subcommand_->add_option("RANGE", range_, "FIRST LAST: the first and last address to probe")
            ->expected(0, 2)
            ->type_name("");
    }

    void Prepare() override {
        if (write_ && read_) {
            throw UsageError("detect: -q and -r are different probes; give one of them");
        }
        if (range_.size() == 1) {
            throw UsageError("detect: a range needs FIRST and LAST");
        }
        first_ = all_ ? 0x00 : 0x08;
        last_ = all_ ? 0x7F : 0x77;
        if (range_.size() == 2) {
            first_ = NumberIn(range_[0], 0x00, 0x7F, "FIRST");
            last_ = NumberIn(range_[1], 0x00, 0x7F, "LAST");
            if (last_ < first_) {
                throw UsageError("detect: LAST is below FIRST");
            }
        }
    }

    void Run(Session& session) override {
        session.Connect();
        nlohmann::json& document = session.Out().Document();
        document["first"] = first_;
        document["last"] = last_;
        document["found"] = nlohmann::json::array();

        Progress progress(ProgressShown(session.Options().json));
        std::string grid = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n";
        for (unsigned row = 0; row < 0x80; row += 16) {
            char label[8];
            std::snprintf(label, sizeof label, "%02x: ", row);
            grid += label;
            for (unsigned address = row; address < row + 16; ++address) {
                if (address < first_ || address > last_) {
                    grid += "   ";
                    continue;
                }
                progress.Step("detect " + Hex2(address), address - first_ + 1, last_ - first_ + 1);
                const Probe probe = write_ ? Probe::kWrite : read_ ? Probe::kRead : DefaultProbe(address);
                if (Answers(session, static_cast<std::uint8_t>(address), probe)) {
                    char cell[8];
                    std::snprintf(cell, sizeof cell, "%02x ", address);
                    grid += cell;
                    document["found"].push_back({{"address", address}, {"probe", ProbeName(probe)}});
                } else {
                    grid += "-- ";
                }
            }
            grid += "\n";
        }
        progress.Clear();
        grid.pop_back();
        session.Out().Line(grid);
    }

private:
    // True when the slave acknowledged. Every failure of the transfer counts
    // as no answer, as in i2cdetect, except one of the chip itself.
    static bool Answers(Session& session, std::uint8_t address, Probe probe) {
        const int result = ProbeAddress(session.Lib(), session.Speed(), address, probe);
        if (ChipUnreachable(result)) {
            throw Failure(std::string("detect: ") + ProbeName(probe) + " probe at " + Hex2(address), result);
        }
        return result == 0;
    }

    bool write_ = false;
    bool read_ = false;
    bool all_ = false;
    std::vector<std::string> range_;
    unsigned first_ = 0;
    unsigned last_ = 0;
};

}  // namespace

std::unique_ptr<Command> MakeDetectCommand() {
    return std::make_unique<DetectCommand>();
}

}  // namespace kelvane::tool
