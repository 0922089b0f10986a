// The USB strings kept in flash, reached with the read-flash (0xB0) and
// write-flash (0xB1) commands through sub-codes 2 to 5, and the decoding of
// the strings that the read-flash command returns into a work buffer of 64
// 16-bit units. The length or count byte comes from the chip and is not
// trusted: nothing beyond the 64-byte response is read and nothing beyond
// the work buffer written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/report.h"
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

// ---- Decoding ---------------------------------------------------------------

inline constexpr std::size_t kWorkBufferUnits = 64;
using StringWorkBuffer = std::array<KelvaneChar, kWorkBufferUnits>;

// The most a response holds: 30 UTF-16 characters of a string descriptor
// (length byte at most 62), or 60 one-byte characters of the factory serial.
inline constexpr std::size_t kMaxDescriptorChars = 30;
inline constexpr std::size_t kMaxFactorySerialChars = 60;

// String descriptor from byte 2: length L (counting bytes 2 and 3), type,
// then UTF-16LE characters from byte 4. A length of 2 or less gives the
// empty string. A length above 62 is taken as 62, the most the report holds;
// an odd length leaves a lone last byte, which is no character and is
// dropped. The result is terminated.
void DecodeStringDescriptor(const Report& response, StringWorkBuffer& out);

// Factory serial number: count N in byte 2, N one-byte characters from byte
// 4, each widened with a high byte of 0. A count above 60 is taken as 60.
// The result is terminated.
void DecodeFactorySerial(const Report& response, StringWorkBuffer& out);

}  // namespace kelvane::config
