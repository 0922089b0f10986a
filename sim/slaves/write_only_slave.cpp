#include "slaves/write_only_slave.h"

namespace kelvane::sim {

bool WriteOnlySlave::Start(std::uint8_t addressByte) {
    return (addressByte & 0x01) == 0;
}

bool WriteOnlySlave::Write(std::uint8_t /*byte*/) {
    return true;
}

}  // namespace kelvane::sim
