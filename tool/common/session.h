// A run's access to the chips: the bound library, the checked common
// options and the output, and the scan and selection of a chip as every
// subcommand needs them.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/library.h"
#include "common/options.h"
#include "common/output.h"

namespace kelvane::tool {

// A chip of the last scan.
struct ChipInfo {
    int index = 0;
    std::string serial;  // empty when it cannot be read
    std::string path;    // the library's device path
};

// {"index": ..., "serial": ..., "path": ...}
nlohmann::json ChipJson(const ChipInfo& chip);
// "chip 0 (KV000001)"
std::string ChipName(const ChipInfo& chip);

class Session {
public:
    Session(const Library& library, const Settings& settings, Output& output)
        : library_(library), settings_(settings), output_(output) {}

    const Library& Lib() const { return library_; }
    const Settings& Options() const { return settings_; }
    Output& Out() { return output_; }
    unsigned Speed() const { return settings_.speed; }

    // Initialises the library for the identifiers and scans: the number of
    // chips found.
    int Scan();
    // Selects a chip of the last scan and makes it the one the library
    // talks to; Failure when it is not connected.
    ChipInfo Select(int index);
    // Scans and selects the chip that -s or -i names; Failure when there is
    // none. Adds "chip" to the JSON document.
    ChipInfo Connect();
    // The chips of a scan, in index order, each selected in turn.
    std::vector<ChipInfo> AllChips();

private:
    ChipInfo Selected(int index);

    const Library& library_;
    const Settings& settings_;
    Output& output_;
};

}  // namespace kelvane::tool
