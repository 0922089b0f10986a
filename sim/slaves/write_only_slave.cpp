#include "slaves/write_only_slave.h"

namespace kelvane::sim {

bool WriteOnlySlave::Start(std::uint8_t addressByte) {
    if ((addressByte & 0x01) != 0) {
        return false;
    }
    lastWrite_.clear();
    ++writes_;
    return true;
}

bool WriteOnlySlave::Write(std::uint8_t byte) {
    if (lastWrite_.size() < kKeptBytes) {
        lastWrite_.push_back(byte);
    }
    return true;
}

}  // namespace kelvane::sim
