// KelvaneCLI's whole run in-process, as the fuzz targets drive it: the
// program's own steps from the command line to the exit code, with the
// library linked in (the 17 entry points bound by name as from the library
// file), in a scratch folder of its own.
#pragma once

#include <string>
#include <vector>

namespace kelvane::fuzz {

struct ProgramRun {
    int exitCode = 0;
    std::wstring output;
};

// Runs the program with these arguments (argument 0 included) on the active
// platform. Findings: an exit code the program does not document, a NUL in
// its output, a failed library call followed by success, entry points that
// do not bind. File paths that name another
// folder have their separators replaced, so that the run only ever reads
// and writes files of the working directory (see scratch_folder.h).
ProgramRun RunProgramInProcess(const std::vector<std::wstring>& arguments);

}  // namespace kelvane::fuzz
