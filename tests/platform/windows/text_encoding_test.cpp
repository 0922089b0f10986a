// UTF-16 and UTF-8 conversions of paths and identifiers, and the first
// hardware identifier of a property buffer, on hostile input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows/hid_enumeration.h"
#include "platform/windows/text_encoding.h"

namespace kelvane::platform::windows {
namespace {

std::wstring Units(std::initializer_list<unsigned> units) {
    std::wstring text;
    for (const unsigned unit : units) {
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

std::vector<std::uint8_t> LittleEndian(const std::wstring& text) {
    std::vector<std::uint8_t> bytes;
    for (const wchar_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
    }
    return bytes;
}

TEST(TextEncoding, ConvertsEveryRangeBothWays) {
    // ASCII, two-byte, three-byte, the last BMP unit before the surrogates,
    // the first after them, a pair (U+1F600) and the last code point.
    const std::wstring wide = Units({'A', 0xE9, 0x20AC, 0xD7FF, 0xE000, 0xD83D, 0xDE00, 0xDBFF, 0xDFFF});
    const std::string utf8 =
        "A\xC3\xA9\xE2\x82\xAC\xED\x9F\xBF\xEE\x80\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF";
    EXPECT_EQ(Utf16ToUtf8(wide), utf8);
    EXPECT_EQ(Utf8ToUtf16(utf8), wide);
    EXPECT_EQ(Utf16ToUtf8(L""), "");
    EXPECT_EQ(Utf8ToUtf16(""), L"");
    EXPECT_EQ(Utf8ToUtf16(std::string("a\0b", 3)), Units({'a', 0, 'b'}));
}

TEST(TextEncoding, UnpairedSurrogatesHaveNoUtf8Form) {
    for (const std::wstring& bad : {Units({0xD800}), Units({'a', 0xDC00, 'b'}), Units({0xDE00, 0xD83D}),
                                    Units({0xD83D, 'x'}), Units({'x', 0xDBFF})}) {
        EXPECT_EQ(Utf16ToUtf8(bad), std::nullopt);
    }
    EXPECT_EQ(Utf16ToUtf8Replacing(Units({'a', 0xDC00, 0xD83D, 0xDE00, 0xD800})),
              "a\xEF\xBF\xBD\xF0\x9F\x98\x80\xEF\xBF\xBD");
}

TEST(TextEncoding, MalformedUtf8IsRefusedWhole) {
    const std::vector<std::string> malformed = {
        "\x80",              // a continuation byte alone
        "a\xBF",             // a continuation byte after ASCII
        "\xC0\x80",          // overlong NUL
        "\xC1\xBF",          // overlong ASCII
        "\xE0\x9F\xBF",      // overlong three-byte
        "\xF0\x8F\xBF\xBF",  // overlong four-byte
        "\xED\xA0\x80",      // an encoded high surrogate
        "\xED\xBF\xBF",      // an encoded low surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xF5\x80\x80\x80",  // a lead byte that never occurs
        "\xFF",
        "\xC3",              // truncated at the end
        "\xE2\x82",
        "\xF0\x9F\x98",
        "\xC3(",             // a lead byte without its continuation
        "\xE2\x82(",
    };
    for (const std::string& text : malformed) {
        EXPECT_EQ(Utf8ToUtf16(text), std::nullopt) << ::testing::PrintToString(text);
        EXPECT_EQ(Utf8ToUtf16("ok" + text + "ok"), std::nullopt) << ::testing::PrintToString(text);
    }
}

TEST(HardwareId, FirstIdentifierOfTheList) {
    const std::wstring list = std::wstring(L"HID\\VID_1209&PID_4B56\\0&KV000001&0&0") + L'\0' +
                              L"HID\\VID_1209&UP:FF00_U:0001" + L'\0' + L'\0';
    EXPECT_EQ(FirstHardwareId(LittleEndian(list)), "HID\\VID_1209&PID_4B56\\0&KV000001&0&0");
}

TEST(HardwareId, ReadsOnlyWithinTheBufferWhateverItsShape) {
    EXPECT_EQ(FirstHardwareId({}), "");
    EXPECT_EQ(FirstHardwareId(std::vector<std::uint8_t>{0x48}), "") << "a lone byte is no unit";
    // Not terminated: the identifier ends with the buffer; an odd last byte
    // is ignored.
    std::vector<std::uint8_t> unterminated = LittleEndian(L"HID\\VID_1209");
    EXPECT_EQ(FirstHardwareId(unterminated), "HID\\VID_1209");
    unterminated.push_back(0x41);
    EXPECT_EQ(FirstHardwareId(unterminated), "HID\\VID_1209");
    EXPECT_EQ(FirstHardwareId(LittleEndian(std::wstring(1, L'\0') + L"HID\\VID_1209")), "")
        << "an empty first identifier";
    // The buffer is read as it lies, whatever its alignment.
    std::vector<std::uint8_t> shifted(1, 0xAA);
    const std::vector<std::uint8_t> id = LittleEndian(L"HID\\X");
    shifted.insert(shifted.end(), id.begin(), id.end());
    EXPECT_EQ(FirstHardwareId(std::span<const std::uint8_t>(shifted).subspan(1)), "HID\\X");
}

TEST(HardwareId, LongIdentifierIsCutAtACharacterBoundary) {
    EXPECT_EQ(FirstHardwareId(LittleEndian(std::wstring(500, L'A'))), std::string(kMaxHardwareIdBytes, 'A'));
    // 99 ASCII bytes, then a two-byte character that would end at byte 101.
    const std::string cut = FirstHardwareId(LittleEndian(std::wstring(99, L'A') + L"\u00E9\u00E9"));
    EXPECT_EQ(cut, std::string(99, 'A'));
    // A pair at the bound: four bytes from byte 98 would end at 102.
    std::wstring paired(98, L'A');
    paired += Units({0xD83D, 0xDE00, 'B'});
    EXPECT_EQ(FirstHardwareId(LittleEndian(paired)), std::string(98, 'A'));
    // Unpaired surrogates are replaced, never passed on as malformed UTF-8.
    EXPECT_EQ(FirstHardwareId(LittleEndian(Units({'H', 0xDC00, 'I'}))), "H\xEF\xBF\xBDI");
}

}  // namespace
}  // namespace kelvane::platform::windows
