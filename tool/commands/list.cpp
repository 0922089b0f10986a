// list: the attached chips with their index, serial number, device path
// and versions.
#include <array>
#include <cstdio>

#include <CLI/CLI.hpp>

#include "commands/command.h"
#include "common/failure.h"
#include "common/session.h"

namespace kelvane::tool {
namespace {

// "1.2" and "A6": the library writes 3 and 2 characters and a terminator.
std::string Version(decltype(&::GetFirmwareVersion) get) {
    std::array<char, 8> text{};
    if (get(text.data()) != 0) {
        return "";
    }
    text.back() = '\0';
    return text.data();
}

// A line of the table: the columns padded to their widths.
std::string Row(const std::string& index, const std::string& serial, const std::string& firmware,
                const std::string& hardware, const std::string& path) {
    char line[512];
    std::snprintf(line, sizeof line, "%-6s %-31s %-9s %-9s %s", index.c_str(), serial.c_str(), firmware.c_str(),
                  hardware.c_str(), path.c_str());
    return line;
}

class ListCommand : public Command {
public:
    void Add(CLI::App& program) override {
        subcommand_ = AddSubcommand(program, "list", "list", "the attached chips",
                                    "Lists the attached chips with the identifiers of --vid and --pid: index,\n"
                                    "serial number, firmware and hardware versions, device path.");
    }

    void Run(Session& session) override {
        const Settings& settings = session.Options();
        nlohmann::json& document = session.Out().Document();
        document["vid"] = settings.vendorId;
        document["pid"] = settings.productId;
        document["chips"] = nlohmann::json::array();
        const std::vector<ChipInfo> chips = session.AllChips();
        if (chips.empty()) {
            session.Out().Line("no chips found (VID " + Hex4(settings.vendorId) + ", PID " + Hex4(settings.productId) +
                               ")");
            return;
        }
        session.Out().Line(Row("index", "serial", "firmware", "hardware", "path"));
        for (const ChipInfo& chip : chips) {
            session.Lib().SelectDev(static_cast<unsigned>(chip.index));
            session.Lib().GetConnectionStatus();
            const std::string firmware = Version(session.Lib().GetFirmwareVersion);
            const std::string hardware = Version(session.Lib().GetHardwareVersion);
            session.Out().Line(Row(std::to_string(chip.index), chip.serial, firmware, hardware, chip.path));
            nlohmann::json entry = ChipJson(chip);
            entry["firmware"] = firmware;
            entry["hardware"] = hardware;
            document["chips"].push_back(entry);
        }
    }
};

}  // namespace

std::unique_ptr<Command> MakeListCommand() {
    return std::make_unique<ListCommand>();
}

}  // namespace kelvane::tool
