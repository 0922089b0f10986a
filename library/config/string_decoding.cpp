#include "config/string_decoding.h"

#include <algorithm>

namespace kelvane::config {
namespace {

constexpr std::size_t kLengthByte = 2;
constexpr std::size_t kFirstCharacterByte = 4;
constexpr std::size_t kDescriptorHeaderBytes = 2;  // the length and type bytes

}  // namespace

void DecodeStringDescriptor(const Report& response, StringWorkBuffer& out) {
    const std::size_t length = response[kLengthByte];
    const std::size_t characters =
        length > kDescriptorHeaderBytes ? std::min((length - kDescriptorHeaderBytes) / 2, kMaxDescriptorChars) : 0;
    for (std::size_t i = 0; i < characters; ++i) {
        const std::size_t at = kFirstCharacterByte + 2 * i;
        out[i] = static_cast<KelvaneChar>(response[at] + 256 * response[at + 1]);
    }
    out[characters] = 0;
}

void DecodeFactorySerial(const Report& response, StringWorkBuffer& out) {
    const std::size_t characters = std::min<std::size_t>(response[kLengthByte], kMaxFactorySerialChars);
    for (std::size_t i = 0; i < characters; ++i) {
        out[i] = static_cast<KelvaneChar>(response[kFirstCharacterByte + i]);
    }
    out[characters] = 0;
}

}  // namespace kelvane::config
