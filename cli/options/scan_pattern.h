// A small scanf-style matcher over wide text, for the option rules.
//
// Directives understood:
//   literal character      must be the next character
//   %[set] %[^set]         one or more characters of the set (or not of it)
//   %s %ls                 skips white space, then one or more non-white characters
//   %d                     decimal number, optional sign
//   %x                     hexadecimal number, optional sign and 0x prefix
// Each conversion may carry "*" (match without storing) and a width (at most
// that many characters; a number's leading white space is not counted). "l"
// is accepted before "s" and "[" (all text is wide here). Sets are taken
// character by character: there are no ranges.
//
// Numbers: a sign and a 0x prefix count towards the width. A 0x prefix with
// no hexadecimal digit after it inside the width reads as the number 0 (the
// prefix's own zero). A decimal number must fit a signed 32-bit integer and
// a hexadecimal one an unsigned 32-bit integer (stored by bit pattern);
// otherwise the conversion fails instead of wrapping.
//
// Text: a stored text must fit textCapacity characters including its
// terminator, otherwise the conversion fails. With width == capacity, a value
// of exactly width characters or more therefore fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kelvane::cli {

using ScanValue = std::variant<std::int32_t, std::wstring>;

inline constexpr std::size_t kUnlimitedText = std::numeric_limits<std::size_t>::max();

struct ScanResult {
    // The stored conversions, in pattern order, up to the first failure.
    std::vector<ScanValue> values;
    // True when the scan got through the pattern's last storing conversion
    // (for a pattern without one: through the whole pattern). A malformed
    // pattern is never complete.
    bool complete = false;
};

ScanResult ScanPattern(std::wstring_view text, std::wstring_view pattern,
                       std::size_t textCapacity = kUnlimitedText);

}  // namespace kelvane::cli
