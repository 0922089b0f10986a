#include <string>

#include "exit_codes.h"
#include "gpio_commands.h"
#include "pin_configuration.h"
#include "printf_text.h"

namespace kelvane::cli {
namespace {

std::wstring DirectionLine(std::size_t pin, std::uint8_t requested) {
    const std::wstring start = L"\t GP" + Decimal(static_cast<std::int64_t>(pin));
    switch (requested) {
        case kDirectionOutput: return start + L" = Output\n";
        case kDirectionInput: return start + L" = Input\n";
        default: return start + L" = No Change\n";
    }
}

}  // namespace

int GpioConfigureCommand(RunContext& run) {
    const auto& requested = run.options.gpioDirection;
    PinConfiguration pins;
    bool done = ReadRuntimePins(run.library, pins) == 0;
    if (done) {
        for (std::size_t pin = 0; pin < kPinCount; ++pin) {
            if (requested[pin] != kPinUnchanged) {
                // Configuring a direction makes the pin a GPIO.
                pins.designation[pin] = kDesignationGpio;
                pins.direction[pin] = requested[pin];
            }
        }
        done = WriteRuntimePins(run.library, pins) == 0;
    }
    if (!done) {
        run.console.Write(L"Pin Configuration Failed. \n");
        return kExitPinConfiguration;
    }
    std::wstring report = L"Pin Configuration updated: \n";
    for (std::size_t pin = 0; pin < kPinCount; ++pin) {
        report += DirectionLine(pin, requested[pin]);
    }
    run.console.Write(report);
    return kExitSuccess;
}

}  // namespace kelvane::cli
