// CRC-8 of SMBus packet error checking (polynomial 0x07, initial value 0),
// bit by bit, as the virtual devices compute it on what they see on the bus.
#pragma once

#include <cstdint>

namespace kelvane::sim {

constexpr std::uint8_t SmbusCrc(std::uint8_t crc, std::uint8_t byte) {
    crc = static_cast<std::uint8_t>(crc ^ byte);
    for (int bit = 0; bit < 8; ++bit) {
        crc = static_cast<std::uint8_t>((crc & 0x80) != 0 ? (crc << 1) ^ 0x07 : crc << 1);
    }
    return crc;
}

}  // namespace kelvane::sim
