#include "config/config_file.h"

#include <fstream>

#include "common/failure.h"
#include "common/utf8.h"

namespace kelvane::tool {
namespace {

constexpr std::streamsize kMostBytes = 64 * 1024 + 1;

}  // namespace

std::string ReadConfigFile(const std::string& name) {
    std::ifstream file(PathFromUtf8(name), std::ios::binary);
    if (!file) {
        throw Failure("cannot open " + name);
    }
    std::string text(static_cast<std::size_t>(kMostBytes), '\0');
    file.read(text.data(), kMostBytes);
    if (file.bad()) {
        throw Failure("cannot read " + name);
    }
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text;
}

void WriteConfigFile(const std::string& name, const std::string& text) {
    std::ofstream file(PathFromUtf8(name), std::ios::trunc);
    file << text;
    file.close();
    if (!file) {
        throw Failure("cannot write " + name);
    }
}

}  // namespace kelvane::tool
