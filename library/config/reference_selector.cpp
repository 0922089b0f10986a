#include "config/reference_selector.h"

#include <array>

#include "kelvane.h"

namespace kelvane::config {
namespace {

constexpr std::array<std::uint8_t, kReferenceCount> kSelectors = {0b000, 0b011, 0b101, 0b111};

}  // namespace

std::uint8_t EncodeReferenceSelector(std::uint8_t reference) {
    return kSelectors[reference % kReferenceCount];
}

int DecodeReferenceSelector(std::uint8_t selector) {
    if ((selector & 0x01) == 0) {
        return 0;
    }
    for (std::uint8_t reference = 1; reference < kReferenceCount; ++reference) {
        if (kSelectors[reference] == (selector & 0x07)) {
            return reference;
        }
    }
    return KELVANE_E_NO_REFERENCE;
}

}  // namespace kelvane::config
