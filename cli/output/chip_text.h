// Chip strings (terminated UTF-16 KelvaneChar text from the library) as the
// program's own wide text.
#pragma once

#include <cstddef>
#include <string>

#include "kelvane.h"

namespace kelvane::cli {

// The longest serial number that GetSerialNumber returns, 30 characters,
// and its terminator.
inline constexpr std::size_t kSerialNumberUnits = 31;

// Decodes the UTF-16 units of text up to its terminator, reading at most
// capacity units (a missing terminator ends the text there). Where wchar_t
// is 32 bits wide, a surrogate pair becomes one character and a lone
// surrogate becomes U+FFFD; where it is 16 bits wide the units are taken
// as they are.
std::wstring WideFromChipText(const KelvaneChar* text, std::size_t capacity);

}  // namespace kelvane::cli
