#include "options/fold_case.h"

#include <algorithm>

namespace kelvane::cli {

wchar_t FoldCase(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool SameIgnoringCase(std::wstring_view text, std::wstring_view name, std::size_t n) {
    const std::wstring_view a = text.substr(0, std::min(n, text.size()));
    const std::wstring_view b = name.substr(0, std::min(n, name.size()));
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldCase(x) == FoldCase(y); });
}

}  // namespace kelvane::cli
