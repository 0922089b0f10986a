// The virtual chip's I2C engine: the bus master behind the status command's
// cancel and set-speed sub-commands and behind the transfer commands 0x90
// (write), 0x91 (read), 0x94 (write that a read follows), 0x93 (the read that
// follows it) and 0x40 (get read data).
//
// Bytes move on the virtual bus at the speed the clock divider gives,
// 48 MHz / (4 x (divider + 3)), in virtual time: a start, 9 bit times for the
// address byte and for every data byte, and a stop. A write piece that comes
// while the engine is still sending the previous one is refused; read data is
// handed out once 60 bytes (or the rest of the transfer) have arrived, and a
// data request that comes too early is answered "not ready".
#pragma once

#include <cstdint>
#include <optional>

#include "core/report.h"
#include "slaves/i2c_bus.h"

namespace kelvane::sim {

class I2cEngine {
public:
    // Engine states, as response byte 8 of the status command and byte 2 of
    // the transfer responses show them.
    static constexpr std::uint8_t kIdle = 0x00;
    static constexpr std::uint8_t kWriting = 0x41;          // write in progress
    static constexpr std::uint8_t kReading = 0x55;          // read in progress
    static constexpr std::uint8_t kAwaitingRead = 0x45;     // 0x94 done, waiting for 0x93
    static constexpr std::uint8_t kReadAddressNack = 0x25;  // a read's address was not acknowledged
    static constexpr std::uint8_t kDataNack = 0x44;         // a written byte was not acknowledged

    static constexpr std::uint8_t kCancelDone = 0x10;  // cancel status: a transfer was stopped
    static constexpr std::uint8_t kSpeedTaken = 0x20;  // set-speed status: divider taken
    static constexpr std::uint8_t kSpeedRefused = 0x21;
    static constexpr std::uint8_t kFlagAddressNack = 0x40;
    static constexpr std::uint8_t kNotAccepted = 0x01;  // status of a refused transfer command
    static constexpr std::uint8_t kNotReady = 0x7F;     // data count of a data report that is not ready

    I2cBus& Bus() { return bus_; }

    // Status command: stops the transfer in progress (the cancel status for
    // response byte 2); takes a new clock divider when idle (the set-speed
    // status for byte 3).
    std::uint8_t Cancel(std::uint64_t nowUs);
    std::uint8_t SetDivider(std::uint8_t divider, std::uint64_t nowUs);
    std::uint8_t State(std::uint64_t nowUs) const;
    std::uint8_t Flags(std::uint64_t nowUs) const;
    std::uint8_t Divider() const { return divider_; }

    // Transfer commands: each fills the status, state and data bytes of its
    // response.
    void HandleWrite(const Report& request, Report& response, std::uint64_t nowUs, bool readFollows);
    void HandleRead(const Report& request, Report& response, std::uint64_t nowUs, bool afterWrite);
    void HandleGetData(Report& response, std::uint64_t nowUs);

    // Faults. A forced state is shown until a cancel. A hung bus (a device
    // holding the clock low) lets no transfer make progress until it is
    // released. Extra read bytes: the engine hands out that many bytes more
    // than a read asked for.
    void ForceState(std::uint8_t state) { forcedState_ = state; }
    void HangBus(bool hung) { hung_ = hung; }
    void SetExtraReadBytes(std::uint32_t count) { extraReadBytes_ = count; }

    // Power-up: no transfer, the default clock. Devices on the bus and the
    // bus faults stay.
    void Reset();

private:
    enum class Kind { kNone, kWrite, kRead };

    struct Transfer {
        Kind kind = Kind::kNone;
        bool chained = false;       // a 0x94 write, or a 0x93 read
        I2cSlave* slave = nullptr;  // null when the address was not acknowledged
        std::uint32_t total = 0;    // bytes of the transfer (a read: with the extra bytes)
        std::uint32_t moved = 0;    // write: bytes taken from the host; read: handed to it
        std::uint64_t startTick = 0;
        std::uint64_t busyUntilTick = 0;  // write: the bus is done with what it was given
        bool dataNack = false;
    };

    std::uint64_t BitTicks() const;
    std::uint64_t TicksOf(std::uint64_t bits) const;
    std::uint32_t ArrivedBytes(std::uint64_t tick) const;
    bool ReadDone(std::uint64_t tick) const;
    void StartWrite(const Report& request, std::uint64_t tick, bool readFollows);
    void TakePiece(const Report& request, std::uint64_t tick);
    void EndTransfer();

    I2cBus bus_;
    std::uint8_t divider_ = 117;  // 100 kHz
    Transfer transfer_;
    std::uint8_t flags_ = 0;
    std::optional<std::uint8_t> forcedState_;
    bool hung_ = false;
    std::uint32_t extraReadBytes_ = 0;
};

}  // namespace kelvane::sim
