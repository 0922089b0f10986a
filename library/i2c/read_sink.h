// Where the bytes of a read go: the caller's buffer, and for an SMBus read
// with packet error checking one more byte at the end of the stream, the
// received packet error code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kelvane::i2c {

class ReadSink {
public:
    enum class Trailer { kNone, kPec };

    explicit ReadSink(std::span<std::uint8_t> buffer, Trailer trailer = Trailer::kNone)
        : buffer_(buffer), withPec_(trailer == Trailer::kPec) {}

    // Bytes the read asks the chip for: the buffer, and the PEC byte.
    std::size_t Total() const { return buffer_.size() + (withPec_ ? 1 : 0); }
    std::size_t Received() const { return received_; }
    bool Complete() const { return received_ == Total(); }

    // Stores the next bytes of the stream. False, with nothing stored, when
    // they would run past the total.
    bool Take(std::span<const std::uint8_t> bytes);

    // The received packet error code; valid once the read is complete.
    std::uint8_t Pec() const { return pec_; }

private:
    std::span<std::uint8_t> buffer_;
    bool withPec_;
    std::size_t received_ = 0;
    std::uint8_t pec_ = 0;
};

}  // namespace kelvane::i2c
