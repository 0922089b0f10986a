// The text component on hostile input: UTF-16 and UTF-8 both ways (surrogate
// pairs, unpaired surrogates, overlong and truncated UTF-8), the chip's
// strings with their limit of 30 units, and the system's wide text.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "text/chip_string.h"
#include "text/utf16.h"
#include "text/wide_text.h"

namespace kelvane::text {
namespace {

// A code point in `length` bytes of UTF-8's bit layout, whether or not that
// is its shortest form (the longer ones are overlong).
std::string Utf8InBytes(char32_t code, int length) {
    static constexpr unsigned char kLead[] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};
    std::string bytes(static_cast<std::size_t>(length), '\0');
    for (int i = length - 1; i > 0; --i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(0x80 | (code & 0x3F));
        code >>= 6;
    }
    bytes[0] = static_cast<char>(kLead[length] | code);
    return bytes;
}

TEST(Utf16Text, ConvertsEveryRangeBothWays) {
    // ASCII, two-byte, three-byte, the last BMP unit before the surrogates,
    // the first after them, a pair (U+1F600) and the last code point.
    const std::u16string wide = {u'A', 0xE9, 0x20AC, 0xD7FF, 0xE000, 0xD83D, 0xDE00, 0xDBFF, 0xDFFF};
    const std::string utf8 =
        "A\xC3\xA9\xE2\x82\xAC\xED\x9F\xBF\xEE\x80\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF";
    EXPECT_EQ(Utf8FromUtf16(wide), utf8);
    EXPECT_EQ(Utf16FromUtf8(utf8), wide);
    EXPECT_EQ(Utf8FromUtf16(u""), "");
    EXPECT_EQ(Utf16FromUtf8(""), u"");
    EXPECT_EQ(Utf16FromUtf8(std::string("a\0b", 3)), std::u16string({u'a', 0, u'b'}));
}

TEST(Utf16Text, EveryCodePointInItsShortestFormOnlyAndBackAgain) {
    for (char32_t code = 0; code <= 0x10FFFF; ++code) {
        const std::uint32_t shown = code;  // the number, in the messages
        const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
        const int shortest = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        for (int length = shortest; length <= 4; ++length) {
            const std::optional<std::u16string> units = Utf16FromUtf8(Utf8InBytes(code, length));
            if (surrogate || length > shortest) {
                ASSERT_EQ(units, std::nullopt) << std::hex << "U+" << shown << " in " << length << " bytes";
                continue;
            }
            ASSERT_TRUE(units) << std::hex << "U+" << shown;
            ASSERT_EQ(units->size(), code < 0x10000 ? 1u : 2u) << std::hex << "U+" << shown;
            ASSERT_EQ(CodePointsFromUtf16(*units), std::u32string(1, code)) << std::hex << "U+" << shown;
            ASSERT_EQ(Utf8FromUtf16(*units), Utf8InBytes(code, length)) << std::hex << "U+" << shown;
        }
    }
}

TEST(Utf16Text, UnpairedSurrogatesHaveNoUtf8FormOrBecomeTheReplacementCharacter) {
    const std::vector<std::u16string> unpaired = {
        {0xD800}, {u'a', 0xDC00, u'b'}, {0xDE00, 0xD83D}, {0xD83D, u'x'}, {u'x', 0xDBFF}};
    for (const std::u16string& bad : unpaired) {
        EXPECT_EQ(Utf8FromUtf16(bad), std::nullopt);
    }
    EXPECT_EQ(Utf8FromUtf16Replacing(std::u16string({u'a', 0xDC00, 0xD83D, 0xDE00, 0xD800})),
              "a\xEF\xBF\xBD\xF0\x9F\x98\x80\xEF\xBF\xBD");
    // Two high surrogates before a low one: the second pairs, the first is alone.
    EXPECT_EQ(CodePointsFromUtf16(std::u16string({0xD83D, 0xD83D, 0xDE00, 0xDC00, u'x'})),
              std::u32string({0xFFFD, 0x1F600, 0xFFFD, 'x'}));
}

TEST(Utf16Text, MalformedUtf8IsRefusedWhole) {
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
        EXPECT_EQ(Utf16FromUtf8(text), std::nullopt) << ::testing::PrintToString(text);
        EXPECT_EQ(Utf16FromUtf8("ok" + text + "ok"), std::nullopt) << ::testing::PrintToString(text);
    }
}

TEST(Utf16Text, EachIllFormedSequenceBecomesOneReplacementCharacter) {
    // What kelvane shows on a Windows console for bytes that are no UTF-8: a
    // lead byte takes the continuation bytes that follow it, up to as many
    // as it announces; a byte that starts nothing stands alone.
    const std::vector<std::pair<std::string, std::u16string>> cases = {
        {"a\xC3(", u"a\uFFFD("},                 // a lead byte without its continuation
        {"\xE2\x82", u"\uFFFD"},                 // truncated at the end
        {"\xE2\x82\xACz\xF0\x9F\x98", u"\u20ACz\uFFFD"},
        {"\xC0\x80", u"\uFFFD"},                 // overlong
        {"\xED\xA0\x80x", u"\uFFFDx"},           // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD"},         // above U+10FFFF
        {"\x80\xBF", u"\uFFFD\uFFFD"},           // stray continuation bytes
        {"\xF8\x88\x80", u"\uFFFD\uFFFD\uFFFD"}, // F8 starts nothing
        {"\xF0\x9F\x98\x80", u"\U0001F600"},     // well-formed stays
    };
    for (const auto& [utf8, utf16] : cases) {
        EXPECT_EQ(Utf16FromUtf8Replacing(utf8), utf16) << ::testing::PrintToString(utf8);
    }
}

TEST(ChipString, ThirtyUnitsAtMostCountedInUtf16) {
    EXPECT_EQ(ChipStringFromUtf8("A\xc3\xa9\xf0\x9f\x98\x80")->size(), 4u);
    EXPECT_EQ(ChipStringFromUtf8(std::string(30, 'x'))->size(), 30u);
    EXPECT_EQ(ChipStringFromUtf8(std::string(31, 'x')), std::nullopt);
    EXPECT_EQ(ChipStringFromUtf8(""), u"");
    // 30 characters of two UTF-8 bytes each: 60 bytes, 30 units.
    std::string accented;
    for (int i = 0; i < 30; ++i) {
        accented += "\xc3\xa9";
    }
    EXPECT_EQ(ChipStringFromUtf8(accented), std::u16string(30, u'\u00e9'));
    // A character beyond the BMP takes two units: 15 of them fill the
    // string, and one after 29 characters does not fit (a pair is never split).
    std::string emoji;
    for (int i = 0; i < 15; ++i) {
        emoji += "\xf0\x9f\x98\x80";
    }
    EXPECT_EQ(ChipStringFromUtf8(emoji)->size(), 30u);
    EXPECT_EQ(ChipStringFromUtf8(std::string(29, 'x') + "\xf0\x9f\x98\x80"), std::nullopt);
    EXPECT_EQ(ChipStringFromUtf8(std::string(28, 'x') + "\xf0\x9f\x98\x80")->size(), 30u);
    // Text that is no UTF-8 is refused whatever its length.
    EXPECT_EQ(ChipStringFromUtf8("\xc0\xaf"), std::nullopt);      // overlong
    EXPECT_EQ(ChipStringFromUtf8("\xed\xa0\x80"), std::nullopt);  // an encoded surrogate
    EXPECT_EQ(ChipStringFromUtf8("\xe2\x82"), std::nullopt);      // cut short
}

TEST(ChipString, TerminatedStringsWithinTheirBuffer) {
    std::array<char16_t, kChipStringBufferUnits> buffer{};
    const std::u16string units = u"A\u00e9\U0001F600";
    std::copy(units.begin(), units.end(), buffer.begin());
    EXPECT_EQ(Utf8FromUtf16Replacing(ChipString(buffer.data(), buffer.size())), "A\xc3\xa9\xf0\x9f\x98\x80");
    buffer[1] = 0xD800;  // a high surrogate alone
    EXPECT_EQ(Utf8FromUtf16Replacing(ChipString(buffer.data(), buffer.size())), "A\xef\xbf\xbd\xf0\x9f\x98\x80");

    const char16_t plain[] = {u'K', u'V', u'0', 0, u'X'};
    EXPECT_EQ(WideFromUtf16(ChipString(plain, 5)), L"KV0");
    // Without a terminator the capacity ends the text.
    const char16_t full[] = {u'A', u'B', u'C'};
    EXPECT_EQ(WideFromUtf16(ChipString(full, 3)), L"ABC");
    EXPECT_EQ(ChipString(full, 0), u"");
#ifdef _WIN32
    // The library's own unit type there, wchar_t.
    const wchar_t wide[] = {L'K', L'V', 0};
    EXPECT_EQ(ChipString(wide, 3), u"KV");
#endif
}

TEST(WideText, SerialNumbersBecomeTheSystemsWideText) {
    const char16_t pair[] = {0xD83D, 0xDE00, 0xDC00, u'x', 0xD800, 0};
    if constexpr (sizeof(wchar_t) == 4) {
        EXPECT_EQ(WideFromUtf16(ChipString(pair, 6)), std::wstring(L"\U0001F600\uFFFDx\uFFFD"));
    } else {
        // Windows takes the units as they are, unpaired surrogates too.
        const std::wstring units = WideFromUtf16(ChipString(pair, 6));
        EXPECT_EQ(units, std::wstring({0xD83D, 0xDE00, 0xDC00, L'x', 0xD800}));
    }
}

#ifdef _WIN32
TEST(WideText, WindowsWideTextIsUtf16BothWays) {
    const std::wstring wide = {L'A', 0xE9, 0xD83D, 0xDE00};
    EXPECT_EQ(Utf8FromWide(wide), "A\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(WideFromUtf8("A\xC3\xA9\xF0\x9F\x98\x80"), wide);
    // A path with an unpaired surrogate has no UTF-8 form; shown, it has one.
    const std::wstring lone = {L'p', 0xDC00};
    EXPECT_EQ(Utf8FromWide(lone), std::nullopt);
    EXPECT_EQ(Utf8FromWideReplacing(lone), "p\xEF\xBF\xBD");
    EXPECT_EQ(WideFromUtf8("p\xC0\x80"), std::nullopt);
    EXPECT_EQ(WideFromUtf8Replacing("p\xC0\x80"), std::wstring({L'p', 0xFFFD}));
}
#endif

}  // namespace
}  // namespace kelvane::text
