#include "chip/gpio_commands.h"

namespace kelvane::sim {

void GetGpio(const RuntimeSettings& runtime, Report& response) {
    for (std::size_t pin = 0; pin < runtime.pins.size(); ++pin) {
        const GpPin& gp = runtime.pins[pin];
        const std::size_t at = 2 + 2 * pin;
        if (gp.designation != kDesignationGpio) {
            response[at] = kNotGpioValue;
            response[at + 1] = kNotGpioDirection;
            continue;
        }
        response[at] = gp.direction == kDirectionInput ? runtime.inputLevels[pin] : gp.value;
        response[at + 1] = gp.direction;
    }
}

void SetGpio(RuntimeSettings& runtime, const Report& request) {
    for (std::size_t pin = 0; pin < runtime.pins.size(); ++pin) {
        GpPin& gp = runtime.pins[pin];
        const std::size_t at = 2 + 4 * pin;
        if (gp.designation != kDesignationGpio) {
            continue;
        }
        if (request[at] == 0x01) {
            gp.value = request[at + 1] != 0 ? 1 : 0;
        }
        if (request[at + 2] == 0x01) {
            gp.direction = request[at + 3] != 0 ? kDirectionInput : kDirectionOutput;
        }
    }
}

}  // namespace kelvane::sim
