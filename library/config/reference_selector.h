// The DAC and ADC voltage references: a reference number 0 to 3 at the
// library's interface, a 3-bit selector on the wire.
#pragma once

#include <cstdint>

namespace kelvane::config {

inline constexpr std::uint8_t kReferenceCount = 4;

// The selector of a reference number 0 to 3: 000, 011, 101, 111.
std::uint8_t EncodeReferenceSelector(std::uint8_t reference);

// The reference number of a selector read from the chip: bit 0 clear gives 0
// whatever bits 1 and 2 hold; 3, 5, 7 give 1, 2, 3; selector 1 has no number
// and gives -9.
int DecodeReferenceSelector(std::uint8_t selector);

}  // namespace kelvane::config
