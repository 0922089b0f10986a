#include "i2c/streams.h"

#include <algorithm>

namespace kelvane::i2c {

bool WriteStream::CopyOut(std::size_t offset, std::size_t count, std::span<std::uint8_t> dest) const {
    if (offset > Size() || count > Size() - offset || count > dest.size()) {
        return false;
    }
    const std::size_t fromData = offset < data_.size() ? std::min(count, data_.size() - offset) : 0;
    if (fromData > 0) {
        std::copy_n(data_.subspan(offset).begin(), fromData, dest.begin());
    }
    if (fromData < count) {
        dest[fromData] = *trailer_;  // the range ends past the data: the trailer is its last byte
    }
    return true;
}

bool ReadSink::Take(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > Total() - received_) {
        return false;
    }
    const std::size_t intoBuffer = std::min(bytes.size(), buffer_.size() - std::min(received_, buffer_.size()));
    if (intoBuffer > 0) {
        std::copy_n(bytes.begin(), intoBuffer, buffer_.subspan(received_).begin());
    }
    if (intoBuffer < bytes.size()) {
        pec_ = bytes.back();  // past the buffer only the PEC byte is left
    }
    received_ += bytes.size();
    return true;
}

}  // namespace kelvane::i2c
