#include "options/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace kelvane::cli {
namespace {

struct Parsed {
    ParseResult result;
    CliOptions options;
};

Parsed Parse(std::initializer_list<std::wstring> args) {
    std::vector<std::wstring> arguments{L"KelvaneCLI"};
    arguments.insert(arguments.end(), args);
    Parsed parsed{ParseResult::Ok, CliOptions{}};
    parsed.result = ParseCommandLine(arguments, parsed.options);
    return parsed;
}

std::wstring Text(const wchar_t* field) {
    return std::wstring(field);
}

TEST(ParseOptionNames, AreRecognisedByTheirLettersWithEitherSwitch) {
    for (const wchar_t* arg : {L"-I2CR=5", L"/i2cr=5", L"--i2cr=5", L"-rc2i=5", L"-/iI22ccR=5"}) {
        const Parsed p = Parse({arg});
        ASSERT_EQ(p.result, ParseResult::Ok) << arg;
        EXPECT_EQ(p.options.readCount, 5) << arg;
        EXPECT_TRUE(p.options.command.i2cR) << arg;
    }
    // A run of letters of "connects" followed by "=" is connectS.
    const Parsed s = Parse({L"-nocsetc=AB12"});
    EXPECT_TRUE(s.options.command.connectS);
    EXPECT_EQ(Text(s.options.serialNumber.data()), L"AB12");
}

TEST(ParseNumbers, ReadOnlyTheirFieldWidth) {
    EXPECT_EQ(Parse({L"-speed=1000000"}).options.speed, 100000);
    EXPECT_EQ(Parse({L"-i2cR=100000"}).options.readCount, 10000);
    EXPECT_EQ(Parse({L"-vid=12345"}).options.vid, 0x1234);
    EXPECT_EQ(Parse({L"-pid=0x4b;"}).options.pid, 0x4B);
    EXPECT_EQ(Parse({L"-vid=-1"}).options.vid, -1);
    const Parsed c = Parse({L"-connectI=123456789"});
    EXPECT_EQ(c.options.connectIndex, 123456789);
    EXPECT_TRUE(c.options.command.connectI);
}

TEST(ParseDefaults, ComeFromTheLibraryHeader) {
    const CliOptions o;
    EXPECT_EQ(o.vid, KELVANE_DEFAULT_VID);
    EXPECT_EQ(o.pid, KELVANE_DEFAULT_PID);
    EXPECT_EQ(o.speed, 100000);
    EXPECT_EQ(o.dataBytes.size(), 65535u);
    EXPECT_EQ(o.gpioDirection[3], 0xFF);
    EXPECT_EQ(o.gpioValue[0], 0xFF);
    EXPECT_EQ(o.gpioReadPin[0], 0);
}

TEST(ParseSlaveAddress, SevenBitFormIsShiftedIntoEightBitForm) {
    EXPECT_EQ(Parse({L"-slave7=50"}).options.slaveAddress, 0xA0);
    EXPECT_EQ(Parse({L"-slave7=A0"}).options.slaveAddress, 0x40);
    EXPECT_EQ(Parse({L"-slave8=a1"}).options.slaveAddress, 0xA1);
    EXPECT_TRUE(Parse({L"-SLAVE7=1"}).options.slaveGiven);
    // The 7-bit form takes at most six name letters.
    EXPECT_EQ(Parse({L"-slavee7=50"}).options.slaveAddress, 0xA0);
    EXPECT_EQ(Parse({L"-slaveeee7=50"}).result, ParseResult::InvalidArgument);
    EXPECT_EQ(Parse({L"-slave8=zz"}).result, ParseResult::InvalidArgument);
}

TEST(ParseTextCapacity, SerialNumberTakesAtMost19Characters) {
    const std::wstring serial19(19, L'S');
    const Parsed ok = Parse({L"-connectS=" + serial19});
    EXPECT_TRUE(ok.options.command.connectS);
    EXPECT_EQ(Text(ok.options.serialNumber.data()), serial19);

    // 20 characters do not fit: only the bare name rule is left.
    const Parsed tooLong = Parse({L"-connectS=" + std::wstring(20, L'S')});
    EXPECT_EQ(tooLong.result, ParseResult::Ok);
    EXPECT_FALSE(tooLong.options.command.connectS);
    EXPECT_TRUE(tooLong.options.helpTopic.connectS);
    EXPECT_EQ(Text(tooLong.options.serialNumber.data()), L"");
}

TEST(ParseTextCapacity, FilePathTakesAtMost254Characters) {
    const std::wstring path254(254, L'p');
    EXPECT_EQ(Text(Parse({L"-f=" + path254}).options.filePath.data()), path254);
    EXPECT_EQ(Parse({L"-f=" + std::wstring(255, L'p')}).result, ParseResult::InvalidArgument);

    const Parsed wf = Parse({L"-i2cWF=" + std::wstring(255, L'p')});
    EXPECT_EQ(wf.result, ParseResult::Ok);
    EXPECT_FALSE(wf.options.command.i2cWF);
    EXPECT_TRUE(wf.options.helpTopic.i2cWF);
    EXPECT_EQ(Text(wf.options.i2cWriteFilePath.data()), L"");
    EXPECT_EQ(Text(Parse({L"-smbwf=" + path254}).options.smbWriteFilePath.data()), path254);

    // A double quote ends the path; spaces belong to it.
    EXPECT_EQ(Text(Parse({L"-f=my dir/a\"b"}).options.filePath.data()), L"my dir/a");
}

TEST(ParsePec, OffByPrefixOnOnlyExactlyAnythingElseKeepsTheSetting) {
    EXPECT_EQ(Parse({L"-pec=on", L"-pec=OFF"}).options.pecEnabled, 0);
    EXPECT_EQ(Parse({L"-pec=On"}).options.pecEnabled, 1);
    EXPECT_EQ(Parse({L"-pec=on", L"-pec=yes"}).options.pecEnabled, 1);
    EXPECT_EQ(Parse({L"-pec=yes"}).options.pecEnabled, 0);
    // Only three characters are read, so a longer value never fails the rule.
    EXPECT_EQ(Parse({L"-pec=on", L"-pec=offline"}).options.pecEnabled, 0);
    EXPECT_EQ(Parse({L"-pec=on", L"-pec=onx"}).options.pecEnabled, 1);
    EXPECT_EQ(Parse({L"-pec=ONNN"}).result, ParseResult::Ok);
    EXPECT_EQ(Parse({L"-pec=on", L"-pec=offz"}).options.pecEnabled, 0);
    EXPECT_EQ(Parse({L"-pec="}).result, ParseResult::InvalidArgument);
}

TEST(ParseRepeatedOptions, LaterValuesWinAndSharedFieldsAreShared) {
    const Parsed p = Parse({L"-i2cr=5", L"-smbr=7", L"-f=a", L"-i2cwf=b", L"-slave8=10", L"-slave7=10"});
    EXPECT_EQ(p.options.readCount, 7);
    EXPECT_TRUE(p.options.command.i2cR);
    EXPECT_TRUE(p.options.command.smbR);
    EXPECT_TRUE(p.options.command.i2cWF);
    EXPECT_EQ(p.options.slaveAddress, 0x20);

    // The f path and the paths of the write-from-file options are kept apart:
    // a write's own data file is never the file a read appends to.
    EXPECT_EQ(Text(p.options.filePath.data()), L"a");
    EXPECT_EQ(Text(p.options.i2cWriteFilePath.data()), L"b");
    EXPECT_EQ(Text(p.options.smbWriteFilePath.data()), L"");
    const Parsed paths = Parse({L"-smbwf=s1", L"-f=f1", L"-i2cwf=i1", L"-f=f2", L"-smbwf=s2", L"-i2cwf=i2"});
    EXPECT_EQ(Text(paths.options.filePath.data()), L"f2");
    EXPECT_EQ(Text(paths.options.i2cWriteFilePath.data()), L"i2");
    EXPECT_EQ(Text(paths.options.smbWriteFilePath.data()), L"s2");
    EXPECT_TRUE(paths.options.command.smbWF);

    // register changes only its own field.
    const Parsed r = Parse({L"-pec=on", L"-f=x", L"-register=-1"});
    EXPECT_EQ(r.options.registerIndex, 0xFF);
    EXPECT_TRUE(r.options.registerGiven);
    EXPECT_EQ(r.options.pecEnabled, 1);
    EXPECT_EQ(Text(r.options.filePath.data()), L"x");
}

TEST(ParseFallThrough, AValueThatCannotBeReadLeavesOnlyTheHelpTopic) {
    const Parsed count = Parse({L"-i2cr=abc"});
    EXPECT_EQ(count.result, ParseResult::Ok);
    EXPECT_TRUE(count.options.helpTopic.i2cR);
    EXPECT_FALSE(count.options.command.i2cR);

    const Parsed index = Parse({L"-connectI=99999999999"});
    EXPECT_TRUE(index.options.helpTopic.connectI);
    EXPECT_FALSE(index.options.command.connectI);

    const Parsed emptyList = Parse({L"-gpioW="});
    EXPECT_TRUE(emptyList.options.helpTopic.gpioW);
    EXPECT_FALSE(emptyList.options.command.gpioW);
}

TEST(ParseFallThrough, OptionsWithoutABareNameRuleAreInvalid) {
    for (const wchar_t* arg : {L"-vidx", L"-vid=", L"-vid=zz", L"-speed=fast", L"-register=", L"-f=", L"-bogus",
                               L"vid=12", L"--devices", L"-errx"}) {
        EXPECT_EQ(Parse({arg}).result, ParseResult::InvalidArgument) << arg;
    }
    const Parsed vid = Parse({L"-VID"});
    EXPECT_EQ(vid.result, ParseResult::Ok);
    EXPECT_TRUE(vid.options.helpTopic.vid);
    EXPECT_FALSE(vid.options.helpRequested);
}

TEST(ParseHelpWords, AreComparedOverTheirFirstCharacters) {
    for (const wchar_t* arg : {L"-help", L"-helpme", L"-hello", L"-h", L"/H", L"-?", L"/?x", L"/HELP"}) {
        const Parsed p = Parse({arg});
        EXPECT_EQ(p.result, ParseResult::Ok) << arg;
        EXPECT_TRUE(p.options.helpRequested) << arg;
    }
    const Parsed err = Parse({L"/ERR"});
    EXPECT_TRUE(err.options.helpTopic.err);
    EXPECT_TRUE(err.options.helpRequested);

    const Parsed devices = Parse({L"-DEVICESandmore"});
    EXPECT_TRUE(devices.options.command.devices);
    EXPECT_TRUE(devices.options.helpTopic.devices);

    const Parsed topics = Parse({L"-i2cwfx", L"-SMBW"});
    EXPECT_TRUE(topics.options.helpTopic.i2cWF);
    EXPECT_FALSE(topics.options.helpTopic.i2cW);
    EXPECT_TRUE(topics.options.helpTopic.smbW);
}

TEST(ParseCommandLineFlow, StopsAtTheFirstInvalidArgumentAndSkipsEmptyOnes) {
    const Parsed p = Parse({L"-help", L"-bogus", L"-i2cr=5"});
    EXPECT_EQ(p.result, ParseResult::InvalidArgument);
    EXPECT_FALSE(p.options.command.i2cR);

    const Parsed empty = Parse({L"", L"-i2cr=5", L""});
    EXPECT_EQ(empty.result, ParseResult::Ok);
    EXPECT_TRUE(empty.options.command.i2cR);

    // Argument 0 is the program's name and is never parsed.
    std::vector<std::wstring> onlyName{L"-bogus"};
    CliOptions options;
    EXPECT_EQ(ParseCommandLine(onlyName, options), ParseResult::Ok);
}

}  // namespace
}  // namespace kelvane::cli
