#include "i2c/write_stream.h"

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

}  // namespace kelvane::i2c
