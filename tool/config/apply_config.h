// Applying a configuration file to the selected chip: only what differs is
// written, each setting through the library's own setter, and everything is
// read back afterwards.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/library.h"
#include "config/config_keys.h"

namespace kelvane::tool {

struct ApplyOptions {
    // --password: entered when the chip is password-protected.
    std::optional<std::string> password;
    // --yes-lock: a file may lock the chip for good.
    bool yesLock = false;
    // Called with each key just before its setter runs (once it runs, the
    // value may have reached the chip, even when the setter then fails).
    std::function<void(const std::string& key)> writing;
};

struct ApplyOutcome {
    enum class Status {
        kApplied,    // something was written and read back as asked
        kUnchanged,  // the chip had the file's configuration already
        kLocked,     // permanently locked: left alone
    };
    Status status = Status::kUnchanged;
    // The keys written, in the order they were written.
    std::vector<std::string> changed;
    // USB identifiers or the protection changed: that takes effect when the
    // chip is reset.
    bool resetNeeded = false;
};

// The chip's configuration with the file's keys on top. Then, before
// anything is written: UsageError for a change that no setter can make (a
// designation above 4, interrupt mode 0, divider 0, a current that is odd
// or outside 100 to 500 mA, no power source, a password state without a
// password, a lock without --yes-lock); Failure for a password-protected
// chip without --password or with a password it rejects. A permanently
// locked chip is left alone (kLocked). Writes the settings that differ in
// key order, the protection last (a new password, protection off, or the
// lock), and reads back every other key: Failure when one differs.
ApplyOutcome ApplyConfig(const Library& library, const Config& file, const ApplyOptions& options);

}  // namespace kelvane::tool
