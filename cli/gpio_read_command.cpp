#include <string>

#include "exit_codes.h"
#include "gpio_commands.h"
#include "pin_configuration.h"
#include "printf_text.h"

namespace kelvane::cli {

int GpioReadCommand(RunContext& run) {
    PinConfiguration pins;
    if (ReadRuntimePins(run.library, pins) != 0) {
        run.console.Write(L"Could not read GPIO values.\n");
        return kExitGpioRead;
    }
    std::wstring report = L"GPIO Values read:\n";
    for (std::size_t pin = 0; pin < kPinCount; ++pin) {
        if (run.options.gpioReadPin[pin] != 1) {
            continue;
        }
        const int level = run.library.ReadGpioPinValue(static_cast<unsigned char>(pin));
        const std::wstring start = L"\t GP" + Decimal(static_cast<std::int64_t>(pin));
        const bool gpio = pins.designation[pin] == kDesignationGpio;
        if (gpio && level == 0) {
            report += start + L" = Low\n";
        } else if (gpio && level == 1) {
            report += start + L" = High\n";
        } else {
            report += start + L" is not a GPIO.\n";
        }
    }
    run.console.Write(report);
    return kExitSuccess;
}

}  // namespace kelvane::cli
