#include "i2c/pec.h"

#include <array>

#include "i2c/protocol.h"

namespace kelvane::i2c {
namespace {

// T[i]: the carry-less product of i and 0x07.
constexpr std::array<std::uint8_t, 16> kNibbleTable = {0x00, 0x07, 0x0E, 0x09, 0x1C, 0x1B, 0x12, 0x15,
                                                       0x38, 0x3F, 0x36, 0x31, 0x24, 0x23, 0x2A, 0x2D};

}  // namespace

std::uint8_t PecUpdate(std::uint8_t code, std::uint8_t byte) {
    const auto t = static_cast<std::uint8_t>(((code << 4) & 0xFF) ^ kNibbleTable[(code >> 4) ^ (byte >> 4)]);
    return static_cast<std::uint8_t>(((t << 4) & 0xFF) ^ kNibbleTable[(t >> 4) ^ (byte & 0x0F)]);
}

std::uint8_t PecUpdate(std::uint8_t code, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        code = PecUpdate(code, byte);
    }
    return code;
}

std::uint8_t WriteBlockPec(std::uint8_t address, std::span<const std::uint8_t> data) {
    return PecUpdate(PecUpdate(0, address), data);
}

std::uint8_t ReadBlockPec(std::uint8_t address, std::uint8_t index, std::span<const std::uint8_t> data) {
    std::uint8_t code = PecUpdate(0, address);
    code = PecUpdate(code, index);
    code = PecUpdate(code, static_cast<std::uint8_t>(address | kReadBit));
    return PecUpdate(code, data);
}

}  // namespace kelvane::i2c
