// A serial EEPROM on the virtual bus: the first byte of a write sets its
// address pointer, the following bytes are stored from there on, and reads
// continue from the pointer. The pointer wraps at the memory's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "slaves/i2c_slave.h"

namespace kelvane::sim {

class EepromSlave : public I2cSlave {
public:
    explicit EepromSlave(std::size_t size = 256, std::uint8_t fill = 0xFF) : memory_(size, fill) {}

    bool Start(std::uint8_t addressByte) override;
    bool Write(std::uint8_t byte) override;
    std::uint8_t Read() override;
    void Stop() override {}

    std::vector<std::uint8_t>& Memory() { return memory_; }
    std::size_t Pointer() const { return pointer_; }
    // Where the next read or write starts (kept modulo the memory's size).
    void SetPointer(std::size_t pointer) { pointer_ = pointer % memory_.size(); }
    // With write protection on, data bytes are not acknowledged (the pointer
    // byte still is).
    void SetWriteProtect(bool on) { writeProtected_ = on; }

private:
    void Advance() { pointer_ = (pointer_ + 1) % memory_.size(); }

    std::vector<std::uint8_t> memory_;
    std::size_t pointer_ = 0;
    bool pointerPending_ = false;  // the next written byte sets the pointer
    bool writeProtected_ = false;
};

}  // namespace kelvane::sim
