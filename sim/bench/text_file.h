// Reading the bench's text files (bench, state and plug file): whole, and
// a line of them in words.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::sim {

// Reads the file at path whole into text, which it replaces. False when it
// cannot be opened or its read fails.
bool ReadWholeFile(const std::string& path, std::string& text);

enum class FileRead {
    kRead,
    kNoFile,   // it does not exist, or cannot be opened
    kRefused,  // it is not a regular file, is larger than allowed, or its read failed
};

// As ReadWholeFile, for a file read again and again: text keeps its
// capacity, so that reading a file again allocates nothing once text has
// held it. Anything but a regular file (a directory, a FIFO, a device) is
// refused before it is opened, so that no read blocks, and so is a file of
// more than maxBytes.
FileRead ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& text);

// The words of line: the runs of characters other than the separators.
std::vector<std::string_view> Words(std::string_view line, std::string_view separators);

}  // namespace kelvane::sim
