#include "common/utf8.h"

#include <string>

namespace kelvane::tool {

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace kelvane::tool
