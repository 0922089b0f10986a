#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "commands/exit_codes.h"
#include "help/help_pages.h"
#include "help/show_help.h"
#include "options/cli_options.h"
#include "output/console_output.h"

namespace kelvane::cli {
namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wistringstream in(text);
    for (std::wstring line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Rows "<code><spaces><text>" with the text starting in column 8; a line
// starting with 8 spaces continues the row before. Returns the codes in
// order and checks the layout on the way.
std::vector<int> CodeColumn(const std::vector<std::wstring>& rows) {
    std::vector<int> codes;
    for (const std::wstring& row : rows) {
        EXPECT_GT(row.size(), 8u) << "row: " << std::string(row.begin(), row.end());
        if (row.size() <= 8) {
            continue;
        }
        EXPECT_NE(row[8], L' ') << std::string(row.begin(), row.end());
        if (row.compare(0, 8, L"        ") == 0) {
            continue;
        }
        const std::size_t digitsEnd = row.find(L' ');
        EXPECT_EQ(row.find_first_not_of(L' ', digitsEnd), 8u) << std::string(row.begin(), row.end());
        codes.push_back(std::stoi(row.substr(0, digitsEnd)));
    }
    return codes;
}

TEST(GeneralPage, StartsWithTheTableHeaderAndAlignsNamesIn12Columns) {
    const std::vector<std::wstring> lines = Lines(kGeneralPage);
    ASSERT_GT(lines.size(), 25u);
    EXPECT_EQ(lines[0], std::wstring(60, L'-'));
    EXPECT_EQ(lines[1], L"Option      Description\t\t");
    EXPECT_EQ(lines[2], std::wstring(60, L'-'));
    EXPECT_EQ(lines[3], L"");
    const std::vector<std::wstring> names = {L"connectI", L"connectS", L"devices", L"err", L"gpioC", L"gpioR",
                                             L"gpioW", L"help|h|?", L"i2cR", L"i2cW", L"i2cWF", L"pid",
                                             L"smbR", L"smbW", L"smbWF", L"vid"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::wstring& row = lines[4 + i];
        EXPECT_EQ(row.substr(0, 12), names[i] + std::wstring(12 - names[i].size(), L' '));
        EXPECT_NE(row.at(12), L' ');
    }
    EXPECT_EQ(lines[4 + names.size()], L"");
    // Descriptions keep their trailing spaces.
    EXPECT_EQ(lines[7], L"err         Displays program exit codes ");
    EXPECT_EQ(lines[17], L"smbW        SMBus Write");
    EXPECT_EQ(lines[18], L"smbWF       SMBus write from file ");
}

TEST(GeneralPage, ParagraphsAndExampleEndThePage) {
    const std::wstring page = kGeneralPage;
    EXPECT_NE(page.find(L"\n\nEach option must be immediately preceded by a switch, Which can"), std::wstring::npos);
    EXPECT_NE(page.find(L"\n\nCommands and their parameters are not case sensitive. Commands will"),
              std::wstring::npos);
    EXPECT_NE(page.find(L"\n\nA detailed description of each command is available by appending \"-help\" "),
              std::wstring::npos);
    EXPECT_TRUE(EndsWith(page, L"\nEx: -i2cw -help\n"
                               L"    Will display the detailed help for the I2C write command.\n\n"));
    EXPECT_EQ(std::wstring(kVersionBanner).substr(0, 14), L"Version 1.0.2\n");
    EXPECT_EQ(Lines(kVersionBanner).size(), 2u);
}

TEST(ShowHelp, PrintsTheGeneralPageAndBannerWhenNoTopicIsSet) {
    CliOptions options;
    options.helpRequested = true;
    CapturedOutput out;
    ShowHelp(options, out);
    EXPECT_EQ(out.Text(), std::wstring(kGeneralPage) + kVersionBanner);

    options.helpTopic.smbR = true;
    CapturedOutput topic;
    ShowHelp(options, topic);
    EXPECT_EQ(topic.Text(), kSmbRPage);
}

TEST(ShowHelp, TopicsArePickedInTheirFixedOrder) {
    // Expected winner order; each step sets one more flag ahead of the
    // ones already set.
    const std::vector<std::pair<std::function<void(HelpTopicFlags&)>, const wchar_t*>> order = {
        {[](HelpTopicFlags& t) { t.connectI = true; }, kConnectIPage},
        {[](HelpTopicFlags& t) { t.connectS = true; }, kConnectSPage},
        {[](HelpTopicFlags& t) { t.devices = true; }, kDevicesPage},
        {[](HelpTopicFlags& t) { t.gpioC = true; }, kGpioCPage},
        {[](HelpTopicFlags& t) { t.gpioR = true; }, kGpioRPage},
        {[](HelpTopicFlags& t) { t.gpioW = true; }, kGpioWPage},
        {[](HelpTopicFlags& t) { t.err = true; }, kExitCodePage},
        {[](HelpTopicFlags& t) { t.i2cR = true; }, kI2cRPage},
        {[](HelpTopicFlags& t) { t.i2cW = true; }, kI2cWPage},
        {[](HelpTopicFlags& t) { t.i2cWF = true; }, kI2cWFPage},
        {[](HelpTopicFlags& t) { t.pid = true; }, kPidPage},
        {[](HelpTopicFlags& t) { t.smbR = true; }, kSmbRPage},
        {[](HelpTopicFlags& t) { t.smbW = true; }, kSmbWPage},
        {[](HelpTopicFlags& t) { t.smbWF = true; }, kSmbWFPage},
        {[](HelpTopicFlags& t) { t.vid = true; }, kVidPage},
    };
    HelpTopicFlags topics;
    EXPECT_EQ(SelectTopicPage(topics), nullptr);
    for (std::size_t i = order.size(); i > 0; --i) {
        order[i - 1].first(topics);
        EXPECT_EQ(SelectTopicPage(topics), order[i - 1].second) << "step " << i;
        // The flag alone selects the same page.
        HelpTopicFlags alone;
        order[i - 1].first(alone);
        EXPECT_EQ(SelectTopicPage(alone), order[i - 1].second) << "alone " << i;
    }
}

TEST(TopicPages, StartWithALineEndTheSyntaxLineAndAnIndentedDescription) {
    for (const wchar_t* page : {kConnectIPage, kConnectSPage, kDevicesPage, kGpioCPage, kGpioRPage, kGpioWPage,
                                kI2cRPage, kI2cWPage, kI2cWFPage, kSmbRPage, kSmbWPage, kSmbWFPage, kVidPage,
                                kPidPage}) {
        const std::vector<std::wstring> lines = Lines(page);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[0], L"");
        EXPECT_NE(lines[1].substr(0, 1), L" ");
        EXPECT_EQ(lines[2].substr(0, 4), L"    ");
        EXPECT_NE(lines[2].at(4), L' ');
        EXPECT_TRUE(EndsWith(page, L"\n"));
    }
    EXPECT_EQ(Lines(kI2cRPage)[1],
              L"i2cR=<bytes to read> slave<8|7>=<slave address> [speed=<communication speed] [f=<file path>] ");
    EXPECT_EQ(std::wstring(kDevicesPage),
              L"\ndevices\n    List all connected Kelvanes matching the VID / PID values\n");
}

TEST(TopicPages, VidAndPidPagesNameTheLibraryDefaults) {
    wchar_t vid[16];
    wchar_t pid[16];
    std::swprintf(vid, 16, L"0x%04X", static_cast<unsigned>(KELVANE_DEFAULT_VID));
    std::swprintf(pid, 16, L"0x%04X", static_cast<unsigned>(KELVANE_DEFAULT_PID));
    EXPECT_NE(std::wstring(kVidPage).find(vid), std::wstring::npos);
    EXPECT_NE(std::wstring(kPidPage).find(pid), std::wstring::npos);
}

TEST(ExitCodePage, ListsTheProgramCodesThenTheLibraryCodes) {
    const std::wstring page = kExitCodePage;
    ASSERT_EQ(page.front(), L'\n');
    const std::vector<std::wstring> lines = Lines(page.substr(1));
    const std::wstring rule(83, L'-');
    ASSERT_GT(lines.size(), 40u);
    EXPECT_EQ(lines[0], rule);
    EXPECT_EQ(lines[1], L"CLI Return values\t\t\t");
    EXPECT_EQ(lines[2], rule);

    std::size_t blank = 3;
    while (blank < lines.size() && !lines[blank].empty()) {
        ++blank;
    }
    ASSERT_LT(blank + 7, lines.size());
    const std::vector<int> programCodes = {
        kExitSuccess,         kExitLibraryNotFound, kExitDeviceInfo,       kExitConnectFailed,
        kExitInvalidSpeed,    kExitInvalidReadSize, kExitI2cReadFailed,    kExitTooManyBytes,
        kExitNoI2cData,       kExitI2cWriteFailed,  kExitSmbReadFailed,    kExitSmbWriteFailed,
        kExitNoSmbData,       kExitFileOpen,        kExitFileClose,        kExitPinConfiguration,
        kExitInvalidDirection, kExitGpioRead,       kExitGpioWrite,        kExitInvalidValue,
        kExitInvalidCommand};
    EXPECT_EQ(CodeColumn({lines.begin() + 3, lines.begin() + static_cast<long>(blank)}), programCodes);
    EXPECT_EQ(lines[3], L"0       SUCCESS");
    EXPECT_EQ(lines[8], L"-102    Invalid I2C / SMBus read size.For I2C a maximum of 65535 bytes can be read");
    EXPECT_EQ(lines[9], L"        For SMBus a maximum of 65534 bytes can be read.");
    EXPECT_EQ(lines[11], L"-104    Too many bytes to write.Maximum is 65535 for I2C");
    EXPECT_EQ(lines[12], L"        and 65534 for SMBus.");

    EXPECT_EQ(lines[blank + 1],
              L"The following are error codes returned by the I2C/SMBus read/write functions. The CLI");
    EXPECT_EQ(lines[blank + 2],
              L"will exit with one of  return values above, while the below error codes will be shown");
    EXPECT_EQ(lines[blank + 3], L"in the command prompt after a failed read/write operation.");
    EXPECT_EQ(lines[blank + 4], rule);
    EXPECT_EQ(lines[blank + 5], L"I2C/SMBus error codes\t\t\t");
    EXPECT_EQ(lines[blank + 6], rule);
    const std::vector<int> libraryCodes = {KELVANE_E_WRITE_FAILED,  KELVANE_E_READ_FAILED,
                                           KELVANE_E_SMB_SPEED_REFUSED, KELVANE_E_SMB_DATA_NACK,
                                           KELVANE_E_WRONG_PEC,     KELVANE_E_COPY,
                                           KELVANE_E_TIMEOUT,       KELVANE_E_SEND,
                                           KELVANE_E_SET_SPEED,     KELVANE_E_I2C_STATUS,
                                           KELVANE_E_ADDRESS_NACK,  KELVANE_E_TRANSFER_REFUSED,
                                           KELVANE_E_COMMAND_FAILED, KELVANE_E_NO_DATA,
                                           KELVANE_E_TOO_MUCH_DATA};
    EXPECT_EQ(CodeColumn({lines.begin() + static_cast<long>(blank) + 7, lines.end()}), libraryCodes);
    EXPECT_EQ(lines.back(), L"-27     Received more data bytes than requested");
}

}  // namespace
}  // namespace kelvane::cli
