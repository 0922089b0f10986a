// The USB strings kept in flash, reached with the read-flash (0xB0) and
// write-flash (0xB1) commands through sub-codes 2 to 5.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kelvane.h"

namespace kelvane::config {

enum class FlashString : std::uint8_t {
    kManufacturer = 0x02,
    kProduct = 0x03,
    kSerialNumber = 0x04,
    kFactorySerial = 0x05,  // read only
};

// Buffer sizes of the read exports, in 16-bit units with the terminator.
inline constexpr std::size_t kDescriptorBufferUnits = 31;
inline constexpr std::size_t kFactorySerialBufferUnits = 61;

// Reads a string into the caller's buffer of `capacity` units (at least 1)
// as a terminated string, writing no unit beyond it. 0, or -4, -5, -6; the
// chip's status byte is not examined.
int ReadFlashString(FlashString which, KelvaneChar* destination, std::size_t capacity);

// Writes a string of at most 30 units as a string descriptor. 0, -4, -5,
// -6, or the chip's status byte.
int WriteFlashString(FlashString which, std::basic_string_view<KelvaneChar> text);

}  // namespace kelvane::config
