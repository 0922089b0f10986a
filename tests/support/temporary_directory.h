// A fresh directory under the system's directory for temporary files, on
// every platform.
#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvane::testing {

// Creates <temp>/<stem>-<random> and returns its path; never one that
// existed before.
inline std::filesystem::path MakeTemporaryDirectory(std::string_view stem) {
    static std::mt19937_64 random{std::random_device{}()};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path path = base / (std::string(stem) + "-" + std::to_string(random() % 100000000000ULL));
        if (std::filesystem::create_directory(path)) {
            return path;
        }
    }
    throw std::runtime_error("no fresh temporary directory");
}

}  // namespace kelvane::testing
