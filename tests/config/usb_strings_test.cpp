// USB strings and serial numbers: string descriptors in both directions, the
// factory serial number, and responses whose length bytes overrun the
// report.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "kelvane.h"
#include "support/chip_strings.h"
#include "support/config_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;

constexpr KelvaneChar kSentinel = 0xA5A5;

// A caller buffer of `size` units followed by sentinel units that no read
// may touch.
class GuardedBuffer {
public:
    explicit GuardedBuffer(std::size_t size) : size_(size), units_(size + kGuard, kSentinel) {}
    KelvaneChar* Data() { return units_.data(); }
    std::u16string Text() const { return TextOf(units_.data()); }
    bool GuardIntact() const {
        return std::all_of(units_.begin() + static_cast<std::ptrdiff_t>(size_), units_.end(),
                           [](KelvaneChar unit) { return unit == kSentinel; });
    }

private:
    static constexpr std::size_t kGuard = 8;
    std::size_t size_;
    std::basic_string<KelvaneChar> units_;
};

class StringsTest : public ConfigFixture {
protected:
    std::u16string Read(decltype(&GetSerialNumber) get, std::size_t size = 31) {
        GuardedBuffer buffer(size);
        EXPECT_EQ(get(buffer.Data()), 0);
        EXPECT_TRUE(buffer.GuardIntact());
        return buffer.Text();
    }
};

TEST_F(StringsTest, EachExportReachesItsOwnString) {
    ASSERT_EQ(SetUsbStringManufacturer(ChipText(u"Acme Sensors")), 0);
    EXPECT_EQ(Last(0xB1)[1], 0x02);
    ASSERT_EQ(SetUsbStringDescriptor(ChipText(u"Bridge \u00C4\u4E2D")), 0);
    EXPECT_EQ(Last(0xB1)[1], 0x03);
    ASSERT_EQ(SetSerialNumber(ChipText(u"SN-0042")), 0);
    EXPECT_EQ(Last(0xB1)[1], 0x04);
    Flash().factorySerial = "FACTORY-\xE9";
    EXPECT_EQ(Flash().manufacturer, u"Acme Sensors");
    EXPECT_EQ(Flash().product, u"Bridge \u00C4\u4E2D");
    EXPECT_EQ(Flash().serialNumber, u"SN-0042");

    EXPECT_EQ(Read(GetUsbStringManufacturer), u"Acme Sensors");
    EXPECT_EQ(Read(GetUsbStringDescriptor), u"Bridge \u00C4\u4E2D");
    EXPECT_EQ(Read(GetSerialNumber), u"SN-0042");
    EXPECT_EQ(Read(GetFactorySerialNumber, 61), u"FACTORY-\u00E9") << "one byte per character, high byte 0";
    const std::vector<Report> reads = RequestsOf(*chip, 0xB0);
    ASSERT_EQ(reads.size(), 4u);
    EXPECT_EQ(reads[0], RequestOf({{0, 0xB0}, {1, 0x02}}));
    EXPECT_EQ(reads[3], RequestOf({{0, 0xB0}, {1, 0x05}}));
}

TEST_F(StringsTest, DescriptorRequestsOfTheEmptyAndTheLongestString) {
    ASSERT_EQ(SetSerialNumber(ChipText(u"")), 0);
    EXPECT_EQ(Last(0xB1), RequestOf({{0, 0xB1}, {1, 0x04}, {2, 0x02}, {3, 0x03}}));
    EXPECT_EQ(Read(GetSerialNumber), u"");

    std::u16string longest;
    for (int i = 0; i < 30; ++i) {
        longest.push_back(static_cast<char16_t>(0x0141 + i));  // high byte 0x01
    }
    ASSERT_EQ(SetUsbStringDescriptor(ChipText(longest.c_str())), 0);
    const Report request = Last(0xB1);
    EXPECT_EQ(request[2], 0x3E);
    EXPECT_EQ(request[4], 0x41);
    EXPECT_EQ(request[5], 0x01);
    EXPECT_EQ(request[62], 0x5E);
    EXPECT_EQ(request[63], 0x01);
    EXPECT_EQ(Read(GetUsbStringDescriptor), longest);
}

// A string longer than 30 units is refused, not stored cut short.
TEST_F(StringsTest, LongerStringsAndNullPointersAreRefusedWithoutAnExchange) {
    const std::u16string tooLong(31, u'x');
    EXPECT_EQ(SetSerialNumber(ChipText(tooLong.c_str())), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(SetUsbStringManufacturer(ChipText(std::u16string(200, u'y').c_str())), KELVANE_E_ARGUMENT_1);
    for (auto set : {SetUsbStringDescriptor, SetUsbStringManufacturer, SetSerialNumber}) {
        EXPECT_EQ(set(nullptr), KELVANE_E_ARGUMENT_1);
    }
    for (auto get : {GetUsbStringDescriptor, GetUsbStringManufacturer, GetSerialNumber, GetFactorySerialNumber}) {
        EXPECT_EQ(get(nullptr), KELVANE_E_ARGUMENT_1);
    }
    EXPECT_TRUE(NothingSent());
}

TEST_F(StringsTest, HostileLengthBytesStayInsideEveryBuffer) {
    Flash().product = std::u16string(30, u'p');
    PatchResponse(0xB0, 2, 0xFF);
    EXPECT_EQ(Read(GetUsbStringDescriptor), std::u16string(30, u'p')) << "cut to what the report holds";

    Flash().factorySerial = std::string(60, 'f');
    PatchResponse(0xB0, 2, 0xFF);
    EXPECT_EQ(Read(GetFactorySerialNumber, 61), std::u16string(60, u'f'));

    Flash().serialNumber = u"ABC";
    PatchResponse(0xB0, 2, 0x09);  // three and a half characters
    PatchResponse(0xB0, 10, 0x44);
    EXPECT_EQ(Read(GetSerialNumber), u"ABC") << "the lone last byte is dropped";

    Flash().manufacturer = u"Kelvane";
    PatchResponse(0xB0, 2, 0x0A);
    EXPECT_EQ(Read(GetUsbStringManufacturer), u"Kelv");
    for (std::uint8_t length : {0x00, 0x01, 0x02}) {
        PatchResponse(0xB0, 2, length);
        EXPECT_EQ(Read(GetUsbStringManufacturer), u"") << int(length);
    }
}

TEST_F(StringsTest, ReadsIgnoreTheStatusWritesPassItOn) {
    Flash().serialNumber = u"S1";
    AddFault(*chip, FaultKind::kStatus, 0xB0, 0x33);
    EXPECT_EQ(Read(GetSerialNumber), u"S1");
    AddFault(*chip, FaultKind::kStatus, 0xB1, 0x33);
    EXPECT_EQ(SetSerialNumber(ChipText(u"S2")), 0x33);
    EXPECT_EQ(SetUsbStringManufacturer(ChipText(u"M")), 0);

    GuardedBuffer buffer(31);
    AddFault(*chip, FaultKind::kNoAnswer, 0xB0);
    EXPECT_EQ(GetSerialNumber(buffer.Data()), KELVANE_E_READ_FAILED);
    AddFault(*chip, FaultKind::kWrongEcho, 0xB0, 0xB1);
    EXPECT_EQ(GetFactorySerialNumber(buffer.Data()), KELVANE_E_WRONG_ECHO);
    AddFault(*chip, FaultKind::kWriteTimeout, 0xB1);
    EXPECT_EQ(SetSerialNumber(ChipText(u"S3")), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(buffer.Text()[0], kSentinel) << "a failed read writes nothing";
}

TEST_F(StringsTest, ChipsAreToldApartByTheirSerialNumbers) {
    bench.Attach("2");
    ASSERT_EQ(GetConnectionStatus(), 1);
    const std::u16string first = Read(GetSerialNumber);
    ASSERT_EQ(SelectDev(1), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);
    const std::u16string second = Read(GetSerialNumber);
    EXPECT_FALSE(first.empty());
    EXPECT_NE(first, second);
}

}  // namespace
}  // namespace kelvane::testing
