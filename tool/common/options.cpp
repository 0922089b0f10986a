#include "common/options.h"

#include <CLI/CLI.hpp>

#include "common/failure.h"
#include "common/numbers.h"

namespace kelvane::tool {
namespace {

constexpr std::uint32_t kSlowest = 48000;
constexpr std::uint32_t kFastest = 400000;
// The library's device table holds 64 chips.
constexpr std::uint32_t kLastIndex = 63;

}  // namespace

void AddCommonOptions(CLI::App& program, CommonOptions& options) {
    options.serialOption =
        program.add_option("-s,--serial", options.serial, "the chip with this serial number")->type_name("SN");
    options.indexOption =
        program.add_option("-i,--index", options.index, "the chip at this index of 'list' (default 0)")->type_name("N");
    options.serialOption->excludes(options.indexOption);
    program.add_option("--vid", options.vid, "USB vendor identifier (default 0x1209)")->type_name("ID");
    program.add_option("--pid", options.pid, "USB product identifier (default 0x4b56)")->type_name("ID");
    program.add_option("--speed", options.speed, "I2C bus speed, 48000 to 400000 bit/s (default 100000)")
        ->type_name("HZ");
    program.add_flag("--json", options.json, "one JSON document on standard output");
    program.add_flag("-y,--yes", options.yes, "accepted, as in i2c-tools; nothing asks questions");
    options.libraryOption = program
                                .add_option("--library", options.library,
                                            "the library file, or 'virtual' for the virtual-chip flavour "
                                            "(default: KELVANE_LIBRARY, else beside the program)")
                                ->type_name("PATH");
}

Settings SettingsOf(const CommonOptions& options) {
    Settings settings;
    if (!options.vid.empty()) {
        settings.vendorId = static_cast<std::uint16_t>(NumberIn(options.vid, 0, 0xFFFF, "--vid"));
    }
    if (!options.pid.empty()) {
        settings.productId = static_cast<std::uint16_t>(NumberIn(options.pid, 0, 0xFFFF, "--pid"));
    }
    settings.speed = NumberIn(options.speed, kSlowest, kFastest, "--speed");
    settings.index = static_cast<int>(NumberIn(options.index, 0, kLastIndex, "--index"));
    if (options.serialOption->count() > 0) {
        if (options.serial.empty()) {
            throw UsageError("--serial needs a serial number");
        }
        settings.serial = options.serial;
    }
    settings.json = options.json;
    if (options.libraryOption->count() > 0) {
        if (options.library.empty()) {
            throw UsageError("--library needs a file name, or 'virtual'");
        }
        settings.library = options.library;
    }
    return settings;
}

}  // namespace kelvane::tool
