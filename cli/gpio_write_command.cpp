#include <string>

#include "exit_codes.h"
#include "gpio_commands.h"
#include "pin_configuration.h"
#include "printf_text.h"

namespace kelvane::cli {
namespace {

std::wstring ValueLine(std::size_t pin, std::uint8_t requested, const PinConfiguration& pins) {
    const std::wstring start = L"\t GP" + Decimal(static_cast<std::int64_t>(pin));
    if (requested == kPinUnchanged) {
        return start + L" = No Change\n";
    }
    if (pins.designation[pin] != kDesignationGpio || pins.direction[pin] != kDirectionOutput) {
        return start + L" is not a Output pin.\n";
    }
    return start + (requested == 1 ? L" = High\n" : L" = Low\n");
}

}  // namespace

int GpioWriteCommand(RunContext& run) {
    const auto& requested = run.options.gpioValue;
    PinConfiguration pins;
    bool done = ReadRuntimePins(run.library, pins) == 0;
    if (done) {
        // The value goes into the configuration whatever the pin is; only
        // the report tells a pin that is not an output.
        for (std::size_t pin = 0; pin < kPinCount; ++pin) {
            if (requested[pin] != kPinUnchanged) {
                pins.value[pin] = requested[pin];
            }
        }
        done = WriteRuntimePins(run.library, pins) == 0;
    }
    if (!done) {
        run.console.Write(L"Could not write GPIO values.\n \n");
        return kExitGpioWrite;
    }
    std::wstring report = L"Pin Values updated: \n";
    for (std::size_t pin = 0; pin < kPinCount; ++pin) {
        report += ValueLine(pin, requested[pin], pins);
    }
    run.console.Write(report);
    return kExitSuccess;
}

}  // namespace kelvane::cli
