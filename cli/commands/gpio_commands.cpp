#include "commands/gpio_commands.h"

#include <array>
#include <cstdint>
#include <string>

#include "binding/library_binding.h"
#include "commands/exit_codes.h"
#include "options/cli_options.h"
#include "output/printf_text.h"

namespace kelvane::cli {
namespace {

// The configuration of GP0 to GP3 as the library exchanges it: designation
// (0 = GPIO), direction (0 output, 1 input) and output value of each pin.
constexpr std::uint8_t kDesignationGpio = 0;
constexpr std::uint8_t kDirectionOutput = 0;
constexpr std::uint8_t kDirectionInput = 1;

struct PinConfiguration {
    std::array<std::uint8_t, kPinCount> designation{};
    std::array<std::uint8_t, kPinCount> direction{};
    std::array<std::uint8_t, kPinCount> value{};
};

constexpr int kRuntimeSettings = 0;

// The runtime configuration: 0, or the library's nonzero result.
int ReadRuntimePins(const LibraryBinding& library, PinConfiguration& pins) {
    return library.GetGpPinConfiguration(kRuntimeSettings, pins.designation.data(), pins.direction.data(),
                                         pins.value.data());
}

int WriteRuntimePins(const LibraryBinding& library, const PinConfiguration& pins) {
    return library.SetGpPinConfiguration(kRuntimeSettings, pins.designation.data(), pins.direction.data(),
                                         pins.value.data());
}

}  // namespace

// ---- gpioC ------------------------------------------------------------------

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

// ---- gpioW ------------------------------------------------------------------

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

// ---- gpioR ------------------------------------------------------------------

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
