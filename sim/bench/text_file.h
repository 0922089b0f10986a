// Reading the bench's text files (bench, state and plug file) whole.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace kelvane::sim {

enum class FileRead {
    kRead,
    kNoFile,   // it does not exist, or cannot be opened
    kRefused,  // it is not a regular file, is larger than allowed, or its read failed
};

// Reads the regular file at path whole into text, which it replaces; text
// keeps its capacity, so that reading a file again allocates nothing once
// text has held it. Anything but a regular file (a directory, a FIFO, a
// device) is refused before it is opened, so that no read blocks, and so is
// a file of more than maxBytes.
FileRead ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& text);

}  // namespace kelvane::sim
