// The bytes of a transfer on the library's side. A write stream is the
// caller's data, optionally followed by one trailing byte (the packet error
// code of an SMBus write). A read sink is where the bytes of a read go: the
// caller's buffer, and for an SMBus read with packet error checking one more
// byte at the end of the stream, the received packet error code. Both are
// the last guards between the chip's answers and memory: they refuse any
// range outside the transfer or the report.
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
