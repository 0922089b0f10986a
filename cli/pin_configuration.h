// The configuration of GP0 to GP3 as the library exchanges it: designation
// (0 = GPIO), direction (0 output, 1 input) and output value of each pin.
#ifndef KELVANE_CLI_PIN_CONFIGURATION_H
#define KELVANE_CLI_PIN_CONFIGURATION_H

#include <array>
#include <cstdint>

#include "cli_options.h"
#include "library_binding.h"

namespace kelvane::cli {

inline constexpr std::uint8_t kDesignationGpio = 0;
inline constexpr std::uint8_t kDirectionOutput = 0;
inline constexpr std::uint8_t kDirectionInput = 1;

struct PinConfiguration {
    std::array<std::uint8_t, kPinCount> designation{};
    std::array<std::uint8_t, kPinCount> direction{};
    std::array<std::uint8_t, kPinCount> value{};
};

// The runtime configuration: 0, or the library's nonzero result.
int ReadRuntimePins(const LibraryBinding& library, PinConfiguration& pins);
int WriteRuntimePins(const LibraryBinding& library, const PinConfiguration& pins);

}  // namespace kelvane::cli

#endif
