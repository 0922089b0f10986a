// The bytes of a write transfer: the caller's data, optionally followed by
// one trailing byte (the packet error code of an SMBus write).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kelvane::i2c {

class WriteStream {
public:
    explicit WriteStream(std::span<const std::uint8_t> data) : data_(data) {}
    WriteStream(std::span<const std::uint8_t> data, std::uint8_t trailer) : data_(data), trailer_(trailer) {}

    std::size_t Size() const { return data_.size() + (trailer_ ? 1 : 0); }

    // Copies count bytes starting at offset to the front of dest. False, with
    // nothing copied, when the range does not lie inside both the stream and
    // dest.
    bool CopyOut(std::size_t offset, std::size_t count, std::span<std::uint8_t> dest) const;

private:
    std::span<const std::uint8_t> data_;
    std::optional<std::uint8_t> trailer_;
};

}  // namespace kelvane::i2c
