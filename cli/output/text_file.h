// The program's text files: data files it reads and result files it appends
// to. Line ends follow the platform's text-file convention.
#pragma once

#include <cstdio>
#include <string_view>

namespace kelvane::cli {

enum class TextFileMode { kRead, kAppend };

// Opens the file at a wide path; an append creates a missing file. Null when
// it cannot be opened, or (POSIX) when the path has no form in the
// encoding of the current locale.
std::FILE* OpenTextFile(std::wstring_view path, TextFileMode mode);

// Closes the file. False when what was written did not all reach the file:
// an earlier write failed, or the close itself (with its final flush) did.
bool CloseTextFile(std::FILE* file);

}  // namespace kelvane::cli
