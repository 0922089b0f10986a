// A subcommand run inside a process that has the library loaded already
// (the server): the same parsing, checks and subcommand code as a run of
// the program, with the text or JSON document handed back instead of
// printed, warnings dropped, and files only in memory.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/library.h"
#include "common/run_files.h"
#include "common/session.h"

namespace kelvane::tool {

struct InProcessRun {
    enum class Outcome {
        kSuccess,
        kFailed,  // an operation failed: `document` has its "error" member
        kUsage,   // the arguments or a file's contents: nothing was done
    };
    Outcome outcome = Outcome::kUsage;
    // The document of --json (with "error" when the run failed), or the
    // text output without --json.
    nlohmann::json document = nlohmann::json::object();
    std::string text;
    // The usage error's or the failure's message.
    std::string message;
    // A failure's library result code.
    std::optional<int> code;
};

// Runs arguments (the program's name first, as the program takes them;
// --library is ignored, help is a usage error, and a subcommand that does
// not run in-process is refused) on `library`, initialised as `use` says.
InProcessRun RunInProcess(const Library& library, LibraryUse& use, RunFiles& files,
                          const std::vector<std::string>& arguments);

}  // namespace kelvane::tool
