#include "pin_configuration.h"

namespace kelvane::cli {
namespace {

constexpr int kRuntimeSettings = 0;

}  // namespace

int ReadRuntimePins(const LibraryBinding& library, PinConfiguration& pins) {
    return library.GetGpPinConfiguration(kRuntimeSettings, pins.designation.data(), pins.direction.data(),
                                         pins.value.data());
}

int WriteRuntimePins(const LibraryBinding& library, const PinConfiguration& pins) {
    return library.SetGpPinConfiguration(kRuntimeSettings, pins.designation.data(), pins.direction.data(),
                                         pins.value.data());
}

}  // namespace kelvane::cli
