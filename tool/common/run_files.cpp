#include "common/run_files.h"

#include "common/failure.h"
#include "config/config_file.h"

namespace kelvane::tool {
namespace {

// As ReadConfigFile: enough for the TOML reader to refuse a larger file.
constexpr std::size_t kMostBytes = 64 * 1024 + 1;

}  // namespace

std::string DiskFiles::Read(const std::string& name) {
    return ReadConfigFile(name);
}

void DiskFiles::Write(const std::string& name, const std::string& text) {
    WriteConfigFile(name, text);
}

const std::string* MemoryFiles::Find(const std::string& name) const {
    const auto found = files_.find(name);
    return found == files_.end() ? nullptr : &found->second;
}

std::string MemoryFiles::Read(const std::string& name) {
    const std::string* text = Find(name);
    if (text == nullptr) {
        throw Failure("cannot open " + name);
    }
    return text->substr(0, kMostBytes);
}

void MemoryFiles::Write(const std::string& name, const std::string& text) {
    files_[name] = text;
}

}  // namespace kelvane::tool
