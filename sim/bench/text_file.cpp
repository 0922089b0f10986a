#include "bench/text_file.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <limits>
#include <system_error>

namespace kelvane::sim {
namespace {

constexpr std::size_t kBufferBytes = 4096;

FileRead ReadOpened(std::ifstream& file, std::size_t maxBytes, std::string& text) {
    std::array<char, kBufferBytes> chunk;
    while (file) {
        file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(file.gcount());
        if (got > maxBytes - text.size()) {
            text.clear();
            return FileRead::kRefused;
        }
        text.append(chunk.data(), got);
    }
    if (file.bad()) {
        text.clear();
        return FileRead::kRefused;
    }
    return FileRead::kRead;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& text) {
    text.clear();
    std::ifstream file(path, std::ios::binary);
    return file && ReadOpened(file, std::numeric_limits<std::size_t>::max(), text) == FileRead::kRead;
}

FileRead ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& text) {
    text.clear();
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found || status.type() == std::filesystem::file_type::none) {
        return FileRead::kNoFile;  // none: it cannot be looked at, as it could not be opened
    }
    if (status.type() != std::filesystem::file_type::regular) {
        return FileRead::kRefused;
    }
    // The stream reads through this buffer instead of one it would allocate.
    std::array<char, kBufferBytes> buffer;
    std::ifstream file;
    file.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    file.open(path, std::ios::binary);
    if (!file) {
        return FileRead::kNoFile;
    }
    return ReadOpened(file, maxBytes, text);
}

std::vector<std::string_view> Words(std::string_view line, std::string_view separators) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(separators, at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find_first_of(separators, start), line.size());
        words.push_back(line.substr(start, end - start));
        at = end;
    }
    return words;
}

}  // namespace kelvane::sim
