// The fuzz input read as a script, front to back: every decision of a
// target (which export to call, what the chip answers, what a file holds)
// takes the next bytes. Past the end every read gives 0, so that a short
// input still runs to a well-defined end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::fuzz {

class ByteScript {
public:
    ByteScript(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Exhausted() const { return position_ >= size_; }
    std::size_t Remaining() const { return Exhausted() ? 0 : size_ - position_; }

    std::uint8_t U8() { return Exhausted() ? 0 : data_[position_++]; }
    std::uint16_t U16() {
        const std::uint16_t low = U8();
        return static_cast<std::uint16_t>(low | (U8() << 8));
    }
    std::uint32_t U32() {
        const std::uint32_t low = U16();
        return low | (static_cast<std::uint32_t>(U16()) << 16);
    }

    // The next count bytes (zeros past the end).
    std::vector<std::uint8_t> Bytes(std::size_t count) {
        std::vector<std::uint8_t> bytes(count);
        for (std::uint8_t& b : bytes) {
            b = U8();
        }
        return bytes;
    }

    // Bytes up to (not including) the next byte equal to end, or to the end
    // of the input.
    std::string Until(std::uint8_t end) {
        std::string text;
        while (!Exhausted()) {
            const std::uint8_t b = U8();
            if (b == end) {
                break;
            }
            text.push_back(static_cast<char>(b));
        }
        return text;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

}  // namespace kelvane::fuzz
