// The first hardware identifier of a property buffer, on hostile input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows/hid_enumeration.h"

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
