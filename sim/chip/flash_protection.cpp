#include "chip/flash_protection.h"

#include <algorithm>

#include "chip/chip_status.h"

namespace kelvane::sim {
namespace {

constexpr std::size_t kAccessPasswordByte = 2;

}  // namespace

std::uint8_t GuardFlashWrite(const RuntimeSettings& runtime, const FlashStore& flash, const Report& request) {
    switch (runtime.settings.protection) {
        case kUnprotected:
            return kStatusOk;
        case kPasswordProtected:
            if (request[1] == kFlashChipSettings) {
                return PasswordOfSettingsWrite(request) == flash.password ? kStatusOk : kStatusAccessDenied;
            }
            return runtime.accessGranted ? kStatusOk : kStatusAccessDenied;
        default:
            return kStatusFlashLocked;
    }
}

std::uint8_t AcceptAccessPassword(RuntimeSettings& runtime, const FlashStore& flash, const Report& request) {
    if (runtime.settings.protection == kUnprotected) {
        return kStatusOk;
    }
    if (!std::equal(flash.password.begin(), flash.password.end(), request.begin() + kAccessPasswordByte)) {
        return kStatusAccessDenied;
    }
    runtime.accessGranted = true;
    return kStatusOk;
}

}  // namespace kelvane::sim
