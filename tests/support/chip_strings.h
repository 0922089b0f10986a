// Chip strings as the exported interface takes them. KelvaneChar is
// char16_t, or wchar_t where that is the platform's 16-bit character (the
// same UTF-16 code units either way); tests write their texts as u"...".
#pragma once

#include <string>

#include "kelvane.h"

namespace kelvane::testing {

static_assert(sizeof(KelvaneChar) == sizeof(char16_t));

inline const KelvaneChar* ChipText(const char16_t* text) {
    return reinterpret_cast<const KelvaneChar*>(text);
}

// The terminated chip string at units, as UTF-16 text.
inline std::u16string TextOf(const KelvaneChar* units) {
    return std::u16string(reinterpret_cast<const char16_t*>(units));
}

}  // namespace kelvane::testing
