#include "support/scratch_folder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace kelvane::fuzz {
namespace {

std::filesystem::path& ScratchFolder() {
    static std::filesystem::path folder;
    return folder;
}

}  // namespace

void EnterScratchFolder(const char* prefix) {
    std::string folder = std::string("/tmp/") + prefix + "-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr || chdir(folder.c_str()) != 0) {
        std::perror("scratch folder");
        std::exit(1);
    }
    ScratchFolder() = folder;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(ScratchFolder(), ignored);
    });
}

void EmptyScratchFolder() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder(), ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

}  // namespace kelvane::fuzz
