// The API's calls of the program's subcommands: each runs the subcommand
// in-process (in_process_run.h) on the chip service's thread, with the
// common options of the server (identifiers, default bus speed) and the
// chip that the call names, and becomes an answer: the subcommand's JSON
// document, as `kelvane --json` prints it, with the HTTP status of its
// outcome.
//
// A chip is named by its serial number, found again at every call (so that
// a chip that was unplugged and plugged in again, or reset, is the same
// chip to the API), or by "@INDEX", its index in the list of chips: the
// only way to name a chip whose serial number is empty or shared with
// another attached chip.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/run_files.h"
#include "serve/chip_service.h"

namespace kelvane::tool::serve {

struct ApiAnswer {
    int status = 200;
    nlohmann::json document = nlohmann::json::object();
    // A file to hand out instead of the document (config export).
    std::optional<std::string> file;
    std::string fileName;
};

// The common options of every call: those `kelvane serve` was given.
struct CallDefaults {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint32_t speed = 100000;
};

// What a call adds to its subcommand.
struct CallExtras {
    // --speed for this call (bus subcommands).
    std::optional<std::uint32_t> speed;
    // The files the subcommand reads, by name.
    MemoryFiles files;
    // Hand out this file after a successful run, instead of the document.
    std::string fileOut;
    // The chip's serial number must be this (the lock's confirmation).
    std::optional<std::string> confirmSerial;
};

// The chip a name means in a list document (kelvane --json list): its
// index; BadRequest 404 when there is none, 409 when the serial number is
// not unique or empty (name it by index then).
int ResolveChip(const nlohmann::json& list, const std::string& name);

// The arguments before the subcommand: the program's name, --json and the
// defaults.
std::vector<std::string> CommonArguments(const CallDefaults& defaults, std::optional<std::uint32_t> speed);

class ChipCalls {
public:
    ChipCalls(ChipService& service, const CallDefaults& defaults) : service_(service), defaults_(defaults) {}

    // kelvane --json list
    ApiAnswer List();
    // kelvane --json -i INDEX <subcommand...> on the named chip.
    ApiAnswer OnChip(const std::string& chip, const std::vector<std::string>& subcommand, CallExtras extras);
    // kelvane --json <subcommand...>, for no chip in particular (a batch).
    ApiAnswer OnAll(const std::vector<std::string>& subcommand, CallExtras extras);

    // The longest a call waits for the chip service.
    static constexpr std::chrono::seconds kLongestWait{600};

private:
    ApiAnswer Submit(std::function<ApiAnswer(const Library&, LibraryUse&)> work);

    ChipService& service_;
    const CallDefaults defaults_;
};

}  // namespace kelvane::tool::serve
