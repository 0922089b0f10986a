// KelvaneCLI.exe and text outside ASCII: the wide command line reaches file
// names and serial numbers whole, and output redirected to a pipe is in the
// user's ANSI code page.
#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/process/program_runner.h"
#include "commands/exit_codes.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::cli;

// A serial number with a character of most ANSI code pages and one that few
// of them have, as the chip holds it, as UTF-8 for the command line, and as
// the hexadecimal UTF-16 code units of the chips' state file.
const std::wstring kSerial = L"KV\u00e9\u4e2d";
const std::string kSerialUtf8 = "KV\xC3\xA9\xE4\xB8\xAD";
constexpr char kSerialUnits[] = "004b005600e94e2d";

// The text in the ANSI code page, a character at a time; one that the code
// page lacks becomes "?".
std::string Ansi(const std::wstring& text) {
    std::string ansi;
    for (wchar_t c : text) {
        char bytes[8];
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, 0, &c, 1, bytes, sizeof bytes, nullptr, &usedDefault);
        ansi += (n <= 0 || usedDefault) ? std::string("?") : std::string(bytes, static_cast<std::size_t>(n));
    }
    return ansi;
}

class WindowsText : public CliProcessTest {
protected:
    // The one chip of kOneChipBench, with kSerial as its serial number.
    void GiveTheChipTheSerial() {
        WriteBench(kOneChipBench);
        ASSERT_EQ(Run({"-devices"}).status, kExitSuccess);
        const std::filesystem::path stateFile = Directory() / "kelvane-virtual-state.txt";
        std::ifstream in(stateFile, std::ios::binary);
        std::string state;
        std::string line;
        while (std::getline(in, line)) {
            state += (line.rfind("flash-serial ", 0) == 0 ? "flash-serial " + std::string(kSerialUnits) : line) + "\n";
        }
        in.close();
        ASSERT_NE(state.find(kSerialUnits), std::string::npos);
        std::ofstream(stateFile, std::ios::binary | std::ios::trunc) << state;
    }
};

TEST_F(WindowsText, FileNamesOutsideTheCodePageReachTheFileSystemWhole) {
    WriteBench(kOneChipBench);
    EXPECT_RUN(Run({"-i2cr=2", "-slave7=50", "-f=r\xC3\xA9sultat-\xE4\xB8\xAD.txt"}), Connected(0) + "Data read to file.\n",
               kExitSuccess);
    const std::filesystem::path result = Directory() / L"r\u00e9sultat-\u4e2d.txt";
    ASSERT_TRUE(std::filesystem::exists(result));

    std::ofstream(Directory() / L"donn\u00e9es-\u4e2d.txt", std::ios::binary) << "0x10,\r\n0x61 0x62\r\n";
    EXPECT_RUN(Run({"-i2cwf=donn\xC3\xA9" "es-\xE4\xB8\xAD.txt", "-slave7=50"}),
               Connected(0) + "Data read from file.\nI2C Write Successful.\n", kExitSuccess);
    EXPECT_RUN(Run({"-i2cw=10", "-slave7=50"}), Connected(0) + "I2C Write Successful.\n", kExitSuccess);
    EXPECT_RUN(Run({"-i2cr=2", "-slave7=50"}), Connected(0) + "I2C Read 2 bytes, Slave = 0xa1 \n    0x61, 0x62\n",
               kExitSuccess);
}

TEST_F(WindowsText, ASerialNumberIsMatchedInUtf16AndShownInTheCodePage) {
    GiveTheChipTheSerial();
    EXPECT_RUN(Run({"-devices"}),
               "Number of connected devices (VID = 0X1209, PID = 0X4B56): 1\n\n\t0) SN = \"" + Ansi(kSerial) + "\"\n",
               kExitSuccess);
    EXPECT_RUN(Run({"-connectS=" + kSerialUtf8, "-i2cr=1", "-slave7=50"}),
               "\nConnected to device 0, SN: " + Ansi(kSerial) + "\n\nI2C Read 1 bytes, Slave = 0xa1 \n    0\n",
               kExitSuccess);
    // The serial number as the code page shows it is another text.
    EXPECT_RUN(Run({"-connectS=KV\xC3\xA9?"}), "Could not find SN: " + Ansi(L"KV\u00e9?") + "\n", kExitConnectFailed);
}

}  // namespace
}  // namespace kelvane::testing

#endif
