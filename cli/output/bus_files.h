// The files of the bus commands: the result file a read appends to, and the
// data file a write takes its bytes from.
//
// Only the f file is ever appended to. A write takes its data from the file
// of its own option (i2cWF or smbWF) when one was given; otherwise from the
// f file, unless a read appended to that file earlier in the run (its data
// would then be the read's own result text); otherwise from its data list.
// So a file named for a write is only ever read, and a read's result is
// never sent to a slave as data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "commands/run_context.h"

namespace kelvane::cli {

// Appends text to the f file and prints "Data read to file.\n"; nullopt when
// done, else the exit code after the message (kExitFileOpen, where the text
// is lost, or kExitFileClose).
StepResult AppendToResultFile(RunContext& run, std::wstring_view text);

// The file a write takes its data from, given the path of its own option
// (empty when not given); empty when the write uses its data list.
std::wstring_view WriteDataFilePath(const RunContext& run, const wchar_t* ownPath);

// Reads the data file at path into destination (at most capacity values)
// and prints "Data read from file.\n". A close failure is reported and does
// not stop the write. nullopt when read, with count set; kExitFileOpen
// when the file cannot be opened.
StepResult LoadDataFile(RunContext& run, std::wstring_view path, std::uint8_t* destination, std::size_t capacity,
                        std::size_t& count);

}  // namespace kelvane::cli
