#include "slaves/eeprom_slave.h"

namespace kelvane::sim {

bool EepromSlave::Start(std::uint8_t addressByte) {
    pointerPending_ = (addressByte & 0x01) == 0;
    return true;
}

bool EepromSlave::Write(std::uint8_t byte) {
    if (pointerPending_) {
        pointer_ = byte % memory_.size();
        pointerPending_ = false;
        return true;
    }
    if (writeProtected_) {
        return false;
    }
    memory_[pointer_] = byte;
    Advance();
    return true;
}

std::uint8_t EepromSlave::Read() {
    const std::uint8_t byte = memory_[pointer_];
    Advance();
    return byte;
}

}  // namespace kelvane::sim
