// The frame of KelvaneCLI as a process: help, invalid command lines, the
// binding of the library, the identifier checks and the order of
// precedence of the commands.
#include <filesystem>
#include <string>

#include "cli/process/program_runner.h"
#include "commands/exit_codes.h"
#include "help/help_pages.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::cli;

std::string Narrow(const wchar_t* text) {
    std::string narrow;
    for (const wchar_t* p = text; *p != L'\0'; ++p) {
        narrow.push_back(static_cast<char>(*p));
    }
    return narrow;
}

class Frame : public CliProcessTest {};

TEST_F(Frame, HelpPagesNeedNeitherTheLibraryNorAChip) {
    WriteBench("");
    EXPECT_RUN(Run({}), Narrow(kGeneralPage) + Narrow(kVersionBanner), kExitSuccess);
    EXPECT_NE(Run({}).out.find("\n    Will display the detailed help for the I2C write command.\n\nVersion 1.0.2\n"),
              std::string::npos);
    EXPECT_RUN(Run({"-smbwf", "/?"}), Narrow(kSmbWFPage), kExitSuccess);
    EXPECT_RUN(Run({"/err"}), Narrow(kExitCodePage), kExitSuccess);
    RemoveLibrary();
    EXPECT_RUN(Run({"-i2cr=4", "-slave7=50", "-help"}), Narrow(kGeneralPage) + Narrow(kVersionBanner),
               kExitSuccess);
    EXPECT_RUN(Run({"-vid", "-h"}), Narrow(kVidPage), kExitSuccess);
}

TEST_F(Frame, InvalidCommandLinesEndBeforeTheLibraryIsLoaded) {
    RemoveLibrary();
    EXPECT_RUN(Run({"-help", "-i2cr=4", "-bogus"}), "Error: Invalid Command.", kExitInvalidCommand);
    EXPECT_RUN(Run({"-vid=12", "-pid=34", "-speed=400000", "-slave8=a0", "-f=x.txt"}), "Error: Invalid command.\n",
               kExitInvalidCommand);
    // A count that cannot be read leaves only the help topic: no command.
    EXPECT_RUN(Run({"-i2cr=abc", "-slave7=50"}), "Error: Invalid command.\n", kExitInvalidCommand);
    // Bytes that the locale cannot decode make an argument that matches no
    // rule, not a crash.
    EXPECT_RUN(Run({"-\xFF\xFE"}), "Error: Invalid Command.", kExitInvalidCommand);
}

TEST_F(Frame, AnyCommandWithoutTheLibraryEndsWithMinusOne) {
    RemoveLibrary();
    for (const char* command : {"-devices", "-connectI=0", "-i2cr=1", "-gpioR=0", "-smbwf=x.txt"}) {
        EXPECT_RUN(Run({command}), "Could not load DLL.\n", kExitLibraryNotFound);
    }
    // A file of that name that is no library is refused the same way.
    WriteFile("KelvaneDLL-UM_x86.dll", "not a library");
    EXPECT_RUN(Run({"-devices"}), "Could not load DLL.\n", kExitLibraryNotFound);
}

TEST_F(Frame, ALibraryWithoutTheEntryPointsIsRefusedLikeAMissingOne) {
    const std::string other = LibraryWithoutEntryPoints();
    ASSERT_FALSE(other.empty());
    RemoveLibrary();
    PlaceFileAs(other, PathOf("KelvaneDLL-UM_x86.dll"));
    EXPECT_RUN(Run({"-devices"}), "Could not load DLL.\n", kExitLibraryNotFound);
}

TEST_F(Frame, IdentifiersAboveSixteenBitsAreRefusedAfterBinding) {
    WriteBench(kOneChipBench);
    EXPECT_RUN(Run({"-devices", "-vid=-1"}), "Error: Invalid VID.\n", kExitConnectFailed);
    EXPECT_RUN(Run({"-devices", "-pid=-4b56"}), "Error: Invalid PID.\n", kExitConnectFailed);
    EXPECT_RUN(Run({"-i2cr=1", "-slave7=50", "-pid=-1", "-vid=-1"}), "Error: Invalid VID.\n", kExitConnectFailed);
    // The largest identifiers pass the check and simply find no chip.
    EXPECT_RUN(Run({"-devices", "-vid=ffff", "-pid=ffff"}), "No devices connected\n", kExitSuccess);
    RemoveLibrary();
    EXPECT_RUN(Run({"-devices", "-vid=-1"}), "Could not load DLL.\n", kExitLibraryNotFound);
}

TEST_F(Frame, CommandsRunInTheirOrderOfPrecedence) {
    WriteBench(kOneChipBench);
    // The listing ends the run before any connection or command.
    EXPECT_RUN(Run({"-i2cr=1", "-slave7=50", "-devices"}),
               "Number of connected devices (VID = 0X1209, PID = 0X4B56): 1\n\n\t0) SN = \"KV000001\"\n",
               kExitSuccess);
    // The I2C write runs; the GPIO write does not.
    EXPECT_RUN(Run({"-gpioW=high", "-i2cw=00", "-slave7=50"}), Connected(0) + "I2C Write Successful.\n",
               kExitSuccess);
    // An SMBus read before an SMBus write, whatever the position.
    EXPECT_RUN(Run({"-smbw=11", "-smbr=4", "-slave7=0b", "-register=4", "-pec=on"}),
               Connected(0) + "SMBus Read 4 bytes, Slave = 0x16, Reg Index = 0x4, PEC = On\n    0x4, 0x5, 0x6, 0x7\n",
               kExitSuccess);
    // The configuration runs; the read does not.
    EXPECT_RUN(Run({"-gpioR=0", "-gpioC=out"}),
               Connected(0) + "Pin Configuration updated: \n\t GP0 = Output\n\t GP1 = No Change\n"
                              "\t GP2 = No Change\n\t GP3 = No Change\n",
               kExitSuccess);
    // A missing slave address ends the run before a later command.
    EXPECT_RUN(Run({"-i2cr=1", "-gpioR=0"}), Connected(0) + "Error: No slave address provided.\n",
               kExitI2cReadFailed);
}

TEST_F(Frame, AMalformedBenchFileIsAnEmptyBench) {
    WriteBench("chip vid=1209\n  eeprom size=12\n");
    EXPECT_RUN(Run({"-devices"}), "No devices connected\n", kExitSuccess);
    WriteBench("eeprom addr7=50\n");
    EXPECT_RUN(Run({"-i2cr=1", "-slave7=50"}), "Could not connect to device 0\n", kExitConnectFailed);
}

}  // namespace
}  // namespace kelvane::testing
