// States of the chip's I2C engine that the library acts upon: response byte 8
// of a status response, byte 2 of the transfer and data responses. Every
// other value means that the transfer is still in progress.
#pragma once

#include <cstdint>

namespace kelvane::i2c {

inline constexpr std::uint8_t kEngineIdle = 0x00;
// After a 0x94 write: the register index is out and the engine waits for the
// read that follows.
inline constexpr std::uint8_t kEngineAwaitingRead = 0x45;
// In a data report with data: the slave did not acknowledge its address.
inline constexpr std::uint8_t kEngineReadAddressNack = 0x25;

// A failure state in byte 2 of a refused transfer command.
bool IsRefusalFailureState(std::uint8_t state);

// A failure state in byte 8 of a status poll: those of a refusal, and 0x21.
bool IsPollFailureState(std::uint8_t state);

}  // namespace kelvane::i2c
