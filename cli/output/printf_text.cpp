#include "output/printf_text.h"

#include <cwchar>

namespace kelvane::cli {
namespace {

std::wstring Convert(const wchar_t* format, std::uint32_t value) {
    wchar_t text[16];
    const int length = std::swprintf(text, sizeof text / sizeof text[0], format, static_cast<unsigned>(value));
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

}  // namespace

std::wstring Decimal(std::int64_t value) {
    return std::to_wstring(value);
}

std::wstring AlternateHex(std::uint32_t value) {
    return Convert(L"%#x", value);
}

std::wstring AlternateHexUpper(std::uint32_t value) {
    return Convert(L"%#X", value);
}

}  // namespace kelvane::cli
