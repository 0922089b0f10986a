// The virtual chip's flash protection, decided by the protection state it
// works with now (the runtime copy, loaded from flash at power-up):
//
// - unprotected: every flash write goes through;
// - password-protected: a chip-settings write goes through only when its
//   password bytes match the stored password; the GP-block and string writes,
//   which carry no password, only once the access password has been accepted
//   since power-up; refusals answer 0x03;
// - permanently locked: every flash write is refused with 0x04.
//
// The access password command (0xB2, password in bytes 2 to 9) answers 0
// and grants access when the password matches the stored one (an
// unprotected chip takes any password), else 0x03.
#pragma once

#include <cstdint>

#include "chip/flash_store.h"
#include "chip/runtime_settings.h"
#include "core/report.h"

namespace kelvane::sim {

// The status for a 0xB1 request before it reaches flash: 0 lets it through.
std::uint8_t GuardFlashWrite(const RuntimeSettings& runtime, const FlashStore& flash, const Report& request);

// 0xB2: the status of the answer.
std::uint8_t AcceptAccessPassword(RuntimeSettings& runtime, const FlashStore& flash, const Report& request);

}  // namespace kelvane::sim
