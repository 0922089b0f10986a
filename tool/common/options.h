// The options that every subcommand takes: which chip (-s/-i, --vid,
// --pid), the bus speed, --json, -y and --library. They may stand before
// or after the subcommand.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "kelvane.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace kelvane::tool {

// As given on the command line.
struct CommonOptions {
    std::string serial;
    std::string index = "0";
    std::string vid;  // empty: KELVANE_DEFAULT_VID
    std::string pid;  // empty: KELVANE_DEFAULT_PID
    std::string speed = "100000";
    std::string library;
    bool json = false;
    bool yes = false;

    CLI::Option* serialOption = nullptr;
    CLI::Option* indexOption = nullptr;
    CLI::Option* libraryOption = nullptr;
};

// As the run uses them, checked.
struct Settings {
    std::uint16_t vendorId = KELVANE_DEFAULT_VID;
    std::uint16_t productId = KELVANE_DEFAULT_PID;
    // The chip by serial number when given, else by index.
    std::optional<std::string> serial;
    int index = 0;
    std::uint32_t speed = 100000;
    bool json = false;
    std::optional<std::string> library;
};

void AddCommonOptions(CLI::App& program, CommonOptions& options);

// Checks the given options (UsageError).
Settings SettingsOf(const CommonOptions& options);

}  // namespace kelvane::tool
