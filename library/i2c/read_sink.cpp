#include "i2c/read_sink.h"

#include <algorithm>

namespace kelvane::i2c {

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
