// A run's access to the chips: the bound library, the checked common
// options, the output and the files, and the scan and selection of a chip
// as every subcommand needs them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/library.h"
#include "common/options.h"
#include "common/output.h"
#include "common/run_files.h"

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

// How the library is initialised for the identifiers. A run of the program
// initialises it at every scan (DllInitCustom, which closes every handle).
// A process that runs one command after another on the same library (the
// server) keeps one of these across the runs: the library is initialised
// once for a pair of identifiers, and later scans keep the chips open.
struct LibraryUse {
    bool initialised = false;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

class Session {
public:
    // `use` null: the library is initialised at every scan.
    Session(const Library& library, const Settings& settings, Output& output, RunFiles& files,
            LibraryUse* use = nullptr)
        : library_(library), settings_(settings), output_(output), files_(files), use_(use) {}

    const Library& Lib() const { return library_; }
    const Settings& Options() const { return settings_; }
    Output& Out() { return output_; }
    RunFiles& Files() { return files_; }
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
    RunFiles& files_;
    LibraryUse* use_;
};

}  // namespace kelvane::tool
