// What the frame and the commands of one run share once the library is
// bound: the entry points, the parsed options, the console, and what has
// happened so far in the run.
#pragma once

#include <optional>

#include "binding/library_binding.h"
#include "options/cli_options.h"
#include "output/console_output.h"

namespace kelvane::cli {

struct RunContext {
    const LibraryBinding& library;
    const CliOptions& options;
    ConsoleSink& console;
    // A read appended its result to the f file in this run; a later write
    // then no longer takes its data from that file.
    bool fileAppended = false;
};

// The outcome of a step of the run: the exit code when the run ends there
// (its message already printed), or nullopt when the run goes on.
using StepResult = std::optional<int>;

}  // namespace kelvane::cli
