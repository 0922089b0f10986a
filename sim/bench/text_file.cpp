#include "bench/text_file.h"

#include <array>
#include <fstream>
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

}  // namespace kelvane::sim
