#include "chip/chip_configuration.h"

#include "chip/flash_protection.h"
#include "chip/gpio_commands.h"

namespace kelvane::sim {
namespace {

constexpr std::uint8_t kSetGpio = 0x50;
constexpr std::uint8_t kGetGpio = 0x51;
constexpr std::uint8_t kSetRuntime = 0x60;
constexpr std::uint8_t kGetRuntime = 0x61;
constexpr std::uint8_t kReadFlash = 0xB0;
constexpr std::uint8_t kWriteFlash = 0xB1;
constexpr std::uint8_t kAccessPassword = 0xB2;

}  // namespace

ChipConfiguration::ChipConfiguration(std::uint16_t vendorId, std::uint16_t productId)
    : flash(FlashStore::Factory(vendorId, productId)) {
    PowerUp();
}

void ChipConfiguration::Handle(const Report& request, Report& response) {
    switch (request[0]) {
        case kSetGpio:
            SetGpio(runtime, request);
            break;
        case kGetGpio:
            GetGpio(runtime, response);
            break;
        case kSetRuntime:
            SetRuntimeSettings(runtime, request);
            break;
        case kGetRuntime:
            GetRuntimeSettings(runtime, response);
            break;
        case kReadFlash:
            ReadFlash(flash, request, response);
            break;
        case kWriteFlash:
            response[1] = GuardFlashWrite(runtime, flash, request);
            if (response[1] == 0) {
                response[1] = WriteFlash(flash, request);
            }
            break;
        case kAccessPassword:
            response[1] = AcceptAccessPassword(runtime, flash, request);
            break;
        default:
            break;
    }
}

}  // namespace kelvane::sim
