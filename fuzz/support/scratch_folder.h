// The working directory of a fuzz target that reads and writes files: a new
// folder under /tmp, removed with its files when the process ends.
#pragma once

namespace kelvane::fuzz {

void EnterScratchFolder(const char* prefix);
// Removes every file the last input left there.
void EmptyScratchFolder();

}  // namespace kelvane::fuzz
