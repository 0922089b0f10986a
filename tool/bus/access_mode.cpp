#include "bus/access_mode.h"

#include "common/failure.h"

namespace kelvane::tool {

std::string AccessMode::Name() const {
    std::string name(1, static_cast<char>(size));
    if (pec) {
        name += 'p';
    }
    return name;
}

std::optional<AccessMode> ParseAccessMode(std::string_view text) {
    if (text.empty() || text.size() > 2 || (text.size() == 2 && text[1] != 'p')) {
        return std::nullopt;
    }
    AccessMode mode;
    switch (text[0]) {
        case 'b': mode.size = AccessMode::Size::kByte; break;
        case 'w': mode.size = AccessMode::Size::kWord; break;
        case 's': mode.size = AccessMode::Size::kSmbusBlock; break;
        case 'i': mode.size = AccessMode::Size::kI2cBlock; break;
        default: return std::nullopt;
    }
    mode.pec = text.size() == 2;
    if (mode.pec && mode.size == AccessMode::Size::kI2cBlock) {
        throw UsageError("PEC is not supported for I2C block transfers (mode ip)");
    }
    return mode;
}

}  // namespace kelvane::tool
