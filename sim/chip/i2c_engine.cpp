#include "chip/i2c_engine.h"

#include <algorithm>

namespace kelvane::sim {
namespace {

// Layout of the transfer commands, as the chip defines it.
constexpr std::size_t kStatus = 1;
constexpr std::size_t kCountLow = 1;   // request
constexpr std::size_t kCountHigh = 2;  // request
constexpr std::size_t kAddress = 3;    // request
constexpr std::size_t kState = 2;      // response
constexpr std::size_t kDataCount = 3;  // response of 0x40
constexpr std::size_t kData = 4;       // request of 0x90/0x94, response of 0x40
constexpr std::uint32_t kBytesPerReport = 60;

// Bus timing in bit times.
constexpr std::uint64_t kStartBits = 1;
constexpr std::uint64_t kByteBits = 9;  // eight bits and the acknowledge
constexpr std::uint64_t kStopBits = 1;
constexpr std::uint64_t kAddressPhaseBits = kStartBits + kByteBits;

constexpr std::uint64_t kTicksPerUs = 48;  // the engine counts in periods of its 48 MHz clock

std::uint64_t TickOf(std::uint64_t nowUs) {
    return nowUs * kTicksPerUs;
}

std::uint32_t CountOf(const Report& request) {
    return static_cast<std::uint32_t>(request[kCountLow] | (request[kCountHigh] << 8));
}

}  // namespace

std::uint64_t I2cEngine::BitTicks() const {
    return 4u * (static_cast<std::uint64_t>(divider_) + 3u);
}

std::uint64_t I2cEngine::TicksOf(std::uint64_t bits) const {
    return bits * BitTicks();
}

std::uint32_t I2cEngine::ArrivedBytes(std::uint64_t tick) const {
    if (hung_ || tick < transfer_.startTick) {
        return transfer_.moved;
    }
    const std::uint64_t bits = (tick - transfer_.startTick) / BitTicks();
    if (bits < kAddressPhaseBits) {
        return 0;
    }
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(transfer_.total, (bits - kAddressPhaseBits) / kByteBits));
}

bool I2cEngine::ReadDone(std::uint64_t tick) const {
    const std::uint64_t bits = kAddressPhaseBits + kByteBits * transfer_.total + kStopBits;
    return !hung_ && tick >= transfer_.startTick + TicksOf(bits);
}

std::uint8_t I2cEngine::State(std::uint64_t nowUs) const {
    if (forcedState_) {
        return *forcedState_;
    }
    const std::uint64_t tick = TickOf(nowUs);
    switch (transfer_.kind) {
        case Kind::kNone:
            return kIdle;
        case Kind::kWrite:
            if (transfer_.moved < transfer_.total || hung_ || tick < transfer_.busyUntilTick) {
                return kWriting;
            }
            if (transfer_.dataNack) {
                return kDataNack;
            }
            return transfer_.chained && transfer_.slave != nullptr ? kAwaitingRead : kIdle;
        case Kind::kRead:
            if (transfer_.slave == nullptr && !hung_ &&
                tick >= transfer_.startTick + TicksOf(kAddressPhaseBits)) {
                return kReadAddressNack;
            }
            return kReading;
    }
    return kIdle;
}

std::uint8_t I2cEngine::Flags(std::uint64_t) const {
    return flags_;
}

std::uint8_t I2cEngine::Cancel(std::uint64_t nowUs) {
    const bool busy = State(nowUs) != kIdle;
    if (busy && transfer_.slave != nullptr && !transfer_.dataNack) {
        transfer_.slave->Stop();
    }
    EndTransfer();
    flags_ = 0;
    forcedState_.reset();
    return busy ? kCancelDone : 0;
}

std::uint8_t I2cEngine::SetDivider(std::uint8_t divider, std::uint64_t nowUs) {
    if (State(nowUs) != kIdle) {
        return kSpeedRefused;
    }
    divider_ = divider;
    return kSpeedTaken;
}

void I2cEngine::HandleWrite(const Report& request, Report& response, std::uint64_t nowUs, bool readFollows) {
    const std::uint64_t tick = TickOf(nowUs);
    const bool continuing = transfer_.kind == Kind::kWrite && transfer_.moved < transfer_.total;
    const bool busy = continuing ? (forcedState_ || hung_ || tick < transfer_.busyUntilTick)
                                 : State(nowUs) != kIdle;
    if (busy) {
        response[kStatus] = kNotAccepted;
        response[kState] = State(nowUs);
        return;
    }
    if (!continuing) {
        StartWrite(request, tick, readFollows);
    }
    TakePiece(request, tick);
    response[kStatus] = 0;
    response[kState] = State(nowUs);
}

void I2cEngine::StartWrite(const Report& request, std::uint64_t tick, bool readFollows) {
    transfer_ = Transfer{};
    transfer_.kind = Kind::kWrite;
    transfer_.chained = readFollows;
    transfer_.total = CountOf(request);
    transfer_.startTick = tick;
    transfer_.busyUntilTick = tick + TicksOf(kAddressPhaseBits);
    flags_ = 0;
    const auto address = static_cast<std::uint8_t>(request[kAddress] & 0xFE);
    I2cSlave* slave = bus_.Addressed(address);
    if (slave != nullptr && slave->Start(address)) {
        transfer_.slave = slave;
    } else {
        flags_ |= kFlagAddressNack;
    }
}

// The next piece of a write: every piece carries 60 bytes but the last. The
// bytes go to the device at once; the bus stays busy for their bit times.
void I2cEngine::TakePiece(const Report& request, std::uint64_t tick) {
    const std::uint32_t count = std::min(kBytesPerReport, transfer_.total - transfer_.moved);
    std::uint64_t bits = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (transfer_.slave == nullptr || transfer_.dataNack) {
            break;  // nothing more goes on the bus; the rest is taken and dropped
        }
        bits += kByteBits;
        if (!transfer_.slave->Write(request[kData + i])) {
            transfer_.dataNack = true;
            bits += kStopBits;
            transfer_.slave->Stop();
        }
    }
    transfer_.moved += count;
    if (transfer_.moved == transfer_.total && !transfer_.dataNack) {
        const bool readFollows = transfer_.chained && transfer_.slave != nullptr;
        if (!readFollows) {
            bits += kStopBits;
            if (transfer_.slave != nullptr) {
                transfer_.slave->Stop();
            }
        }
    }
    transfer_.busyUntilTick = std::max(transfer_.busyUntilTick, tick) + TicksOf(bits);
}

void I2cEngine::HandleRead(const Report& request, Report& response, std::uint64_t nowUs, bool afterWrite) {
    const std::uint8_t state = State(nowUs);
    if (state != (afterWrite ? kAwaitingRead : kIdle)) {
        response[kStatus] = kNotAccepted;
        response[kState] = state;
        return;
    }
    transfer_ = Transfer{};
    transfer_.kind = Kind::kRead;
    transfer_.chained = afterWrite;
    transfer_.total = CountOf(request) + extraReadBytes_;
    transfer_.startTick = TickOf(nowUs);
    flags_ = 0;
    const auto address = static_cast<std::uint8_t>(request[kAddress] | 0x01);
    I2cSlave* slave = bus_.Addressed(address);
    if (slave != nullptr && slave->Start(address)) {
        transfer_.slave = slave;
    }
    response[kStatus] = 0;
    response[kState] = State(nowUs);
}

void I2cEngine::HandleGetData(Report& response, std::uint64_t nowUs) {
    response[kStatus] = 0;
    if (transfer_.kind != Kind::kRead || forcedState_) {
        response[kState] = State(nowUs);
        response[kDataCount] = 0;  // no read: no more data
        return;
    }
    const std::uint64_t tick = TickOf(nowUs);
    if (transfer_.slave == nullptr) {
        response[kState] = State(nowUs);
        response[kDataCount] = kNotReady;
        return;
    }
    const std::uint32_t available = ArrivedBytes(tick) - transfer_.moved;
    const bool done = ReadDone(tick);
    if (available >= kBytesPerReport || (done && available > 0)) {
        const std::uint32_t count = std::min(kBytesPerReport, available);
        for (std::uint32_t i = 0; i < count; ++i) {
            response[kData + i] = transfer_.slave->Read();
        }
        transfer_.moved += count;
        response[kDataCount] = static_cast<std::uint8_t>(count);
    } else {
        response[kDataCount] = done ? 0 : kNotReady;
    }
    if (done && transfer_.moved == transfer_.total) {
        transfer_.slave->Stop();
        EndTransfer();
    }
    response[kState] = State(nowUs);
}

void I2cEngine::EndTransfer() {
    transfer_ = Transfer{};
}

void I2cEngine::Reset() {
    transfer_ = Transfer{};
    divider_ = 117;
    flags_ = 0;
    forcedState_.reset();
}

}  // namespace kelvane::sim
