// The list values of i2cW/smbW and of the three GPIO options, through the
// parser.
#include "options/command_line.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

namespace kelvane::cli {
namespace {

CliOptions Parse(std::initializer_list<std::wstring> args, ParseResult expected = ParseResult::Ok) {
    std::vector<std::wstring> arguments{L"KelvaneCLI"};
    arguments.insert(arguments.end(), args);
    CliOptions options;
    EXPECT_EQ(ParseCommandLine(arguments, options), expected);
    return options;
}

using Pins = std::array<std::uint8_t, 4>;

// n comma-separated fields "1".
std::wstring OnesList(std::size_t n) {
    std::wstring list;
    for (std::size_t i = 0; i < n; ++i) {
        list += i == 0 ? L"1" : L",1";
    }
    return list;
}

TEST(DataList, StoresTwoDigitHexFieldsAndSkipsTheRest) {
    const CliOptions o = Parse({L"-i2cw=aa,,zz,5"});
    EXPECT_TRUE(o.command.i2cW);
    EXPECT_TRUE(o.dataGiven);
    ASSERT_EQ(o.dataCount, 2);
    EXPECT_EQ(o.dataBytes[0], 0xAA);
    EXPECT_EQ(o.dataBytes[1], 0x05);

    const CliOptions m = Parse({L"-smbw=,0x7,abc,-1,"});
    EXPECT_TRUE(m.command.smbW);
    ASSERT_EQ(m.dataCount, 3);
    EXPECT_EQ(m.dataBytes[0], 0x00);  // "0x" fills the two characters
    EXPECT_EQ(m.dataBytes[1], 0xAB);
    EXPECT_EQ(m.dataBytes[2], 0xFF);
}

TEST(DataList, SetsTheCommandEvenWithoutAnyByte) {
    const CliOptions o = Parse({L"-i2cw=zz,,q"});
    EXPECT_TRUE(o.command.i2cW);
    EXPECT_FALSE(o.dataGiven);
    EXPECT_EQ(o.dataCount, 0);

    // An empty list is no value at all: only the help topic is set.
    const CliOptions e = Parse({L"-i2cw="});
    EXPECT_FALSE(e.command.i2cW);
    EXPECT_TRUE(e.helpTopic.i2cW);
}

TEST(DataList, ListsShareTheStoreFromPositionZero) {
    const CliOptions o = Parse({L"-i2cw=1,2,3", L"-smbw=9"});
    EXPECT_EQ(o.dataCount, 1);
    EXPECT_EQ(o.dataBytes[0], 0x09);
    EXPECT_EQ(o.dataBytes[1], 0x02);
    EXPECT_TRUE(o.command.i2cW);
    EXPECT_TRUE(o.command.smbW);

    // A later list without numbers leaves count and bytes as they were.
    const CliOptions k = Parse({L"-i2cw=1,2,3", L"-smbw=zz"});
    EXPECT_EQ(k.dataCount, 3);
    EXPECT_TRUE(k.dataGiven);
}

TEST(DataList, CountsBytesBeyondTheStoreWithoutStoringThem) {
    const CliOptions o = Parse({L"-i2cw=" + OnesList(65537)});
    EXPECT_EQ(o.dataCount, 65537);
    EXPECT_EQ(o.dataBytes.size(), 65535u);
    EXPECT_EQ(o.dataBytes[65534], 0x01);
}

TEST(DataList, TextTakesAtMost196999Characters) {
    const CliOptions fits = Parse({L"-i2cw=" + std::wstring(196999, L'a')});
    EXPECT_TRUE(fits.command.i2cW);
    EXPECT_EQ(fits.dataCount, 1);
    EXPECT_EQ(fits.dataBytes[0], 0xAA);

    const CliOptions tooLong = Parse({L"-i2cw=" + std::wstring(197000, L'a')});
    EXPECT_FALSE(tooLong.command.i2cW);
    EXPECT_TRUE(tooLong.helpTopic.i2cW);
}

TEST(DirectionList, FirstLetterDecidesForTheFirstFourFields) {
    EXPECT_EQ(Parse({L"-gpioc=in,out"}).gpioDirection, (Pins{1, 0, 0xFF, 0xFF}));
    EXPECT_EQ(Parse({L"-gpioc=x,o,i,-,o"}).gpioDirection, (Pins{0xFF, 0, 1, 0xFF}));
    EXPECT_EQ(Parse({L"-GPIOC=IN,,OUTPUT,Input"}).gpioDirection, (Pins{1, 0, 1, 0xFF}));
    // Slots without a field keep the earlier list's value.
    EXPECT_EQ(Parse({L"-gpioc=in,in,in,in", L"-gpioc=out,-"}).gpioDirection, (Pins{0, 0xFF, 1, 1}));
    EXPECT_TRUE(Parse({L"-gpioc=zzz"}).command.gpioC);
}

TEST(ValueList, HighAndLowByFirstLetter) {
    EXPECT_EQ(Parse({L"-gpiow=high,low,-,-"}).gpioValue, (Pins{1, 0, 0xFF, 0xFF}));
    EXPECT_EQ(Parse({L"-gpiow=L,H,x"}).gpioValue, (Pins{0, 1, 0xFF, 0xFF}));
    // "in" and "out" mean nothing in a value list.
    EXPECT_EQ(Parse({L"-gpiow=in,out"}).gpioValue, (Pins{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(PinList, MarksPinsZeroToThreeNamedWithOrWithoutGp) {
    EXPECT_EQ(Parse({L"-gpior=gp1,0,7"}).gpioReadPin, (Pins{1, 1, 0, 0}));
    EXPECT_EQ(Parse({L"-gpior=GP3,p2,gPg0"}).gpioReadPin, (Pins{1, 0, 1, 1}));
    EXPECT_EQ(Parse({L"-gpior=12,gp4,x,g"}).gpioReadPin, (Pins{0, 1, 0, 0}));
    const CliOptions none = Parse({L"-gpior=x"});
    EXPECT_TRUE(none.command.gpioR);
    EXPECT_EQ(none.gpioReadPin, (Pins{0, 0, 0, 0}));
}

TEST(GpioLists, TextTakesAtMost28Characters) {
    const std::wstring list28 = L"in,out" + std::wstring(22, L',');
    ASSERT_EQ(list28.size(), 28u);
    const CliOptions fits = Parse({L"-gpioc=" + list28});
    EXPECT_TRUE(fits.command.gpioC);
    EXPECT_EQ(fits.gpioDirection, (Pins{1, 0, 0xFF, 0xFF}));

    const CliOptions tooLong = Parse({L"-gpioc=" + list28 + L","});
    EXPECT_FALSE(tooLong.command.gpioC);
    EXPECT_TRUE(tooLong.helpTopic.gpioC);
    EXPECT_EQ(tooLong.gpioDirection, (Pins{0xFF, 0xFF, 0xFF, 0xFF}));
}

}  // namespace
}  // namespace kelvane::cli
