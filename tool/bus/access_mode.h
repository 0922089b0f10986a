// The access modes of i2cget, i2cset and i2cdump: b byte, w word (low byte
// first), s SMBus block (a count byte, then the data), i I2C block, each but
// i with a p suffix for packet error checking.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvane::tool {

struct AccessMode {
    enum class Size : char { kByte = 'b', kWord = 'w', kSmbusBlock = 's', kI2cBlock = 'i' };
    Size size = Size::kByte;
    bool pec = false;

    // "b", "wp", ...
    std::string Name() const;
    bool IsBlock() const { return size == Size::kSmbusBlock || size == Size::kI2cBlock; }
};

// The mode named by text ("b", "bp", "w", "wp", "s", "sp", "i"); nullopt for
// anything else. UsageError for "ip", which i2c-tools refuses as well.
std::optional<AccessMode> ParseAccessMode(std::string_view text);

}  // namespace kelvane::tool
