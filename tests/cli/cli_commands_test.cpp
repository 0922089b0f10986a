// KelvaneCLI's frame and bus commands in-process, over the library linked
// in and a bench of virtual chips: what reaches the chip, and what a process
// cannot be given (a data list longer than one argument may be on Linux).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "binding/library_binding.h"
#include "commands/exit_codes.h"
#include "kelvane.h"
#include "option_steps.h"
#include "options/cli_options.h"
#include "output/console_output.h"
#include "program_frame.h"
#include "support/i2c_fixture.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::cli;

// The entry points of the library as this test program links it.
LibraryBinding LinkedLibrary() {
    LibraryBinding b;
    b.DllInitCustom = &::DllInitCustom;
    b.DllInit = &::DllInit;
    b.GetConnectionStatus = &::GetConnectionStatus;
    b.GetFirmwareVersion = &::GetFirmwareVersion;
    b.GetHardwareVersion = &::GetHardwareVersion;
    b.GetDevCount = &::GetDevCount;
    b.GetSelectedDevNumber = &::GetSelectedDevNumber;
    b.GetSelectedDevInfo = &::GetSelectedDevInfo;
    b.SelectDev = &::SelectDev;
    b.SmbWriteBlock = &::SmbWriteBlock;
    b.SmbReadBlock = &::SmbReadBlock;
    b.GetSerialNumber = &::GetSerialNumber;
    b.ReadI2cData = &::ReadI2cData;
    b.WriteI2cData = &::WriteI2cData;
    b.GetGpPinConfiguration = &::GetGpPinConfiguration;
    b.SetGpPinConfiguration = &::SetGpPinConfiguration;
    b.ReadGpioPinValue = &::ReadGpioPinValue;
    return b;
}

struct CliRun {
    int exitCode = 0;
    std::wstring output;
};

class CliCommands : public I2cFixture {
protected:
    CliRun Run(const std::vector<std::wstring>& args) {
        std::vector<std::wstring> arguments{L"KelvaneCLI"};
        arguments.insert(arguments.end(), args.begin(), args.end());
        CliOptions options;
        CapturedOutput console;
        chip->ClearRequests();
        CliRun run;
        if (const std::optional<int> ended = RunOptionSteps(arguments, options, console)) {
            run.exitCode = *ended;
        } else {
            run.exitCode = RunWithLibrary(LinkedLibrary(), options, console);
        }
        run.output = console.Text();
        return run;
    }
};

std::wstring List(int count, const wchar_t* value) {
    std::wstring list;
    for (int i = 0; i < count; ++i) {
        list += value;
        list += L",";
    }
    return list;
}

TEST_F(CliCommands, TooManyDataBytesAreRefusedWithoutAnyRequest) {
    const CliRun i2c = Run({L"-i2cw=" + List(65536, L"5"), L"-slave7=50"});
    EXPECT_EQ(i2c.exitCode, kExitTooManyBytes);
    EXPECT_EQ(i2c.output, L"\nConnected to device 0\n\nToo many bytes to write. Maximum allowed is 65535\n");
    const CliRun smbus = Run({L"-smbw=" + List(65535, L"5"), L"-slave7=0b", L"-register=0"});
    EXPECT_EQ(smbus.exitCode, kExitTooManyBytes);
    EXPECT_EQ(smbus.output, L"\nConnected to device 0\n\nToo many bytes to write. Maximum allowed is 65534\n");
    EXPECT_TRUE(chip->Requests().empty());
}

TEST_F(CliCommands, TheLargestListsAreWrittenWhole) {
    EXPECT_EQ(Run({L"-i2cw=" + List(65535, L"5"), L"-slave7=10", L"-speed=400000"}).output,
              L"\nConnected to device 0\n\nI2C Write failed. Error code: -23\n");
    const std::vector<Report> pieces = Sent(0x90);
    ASSERT_FALSE(pieces.empty());
    // Count 65535 in the first piece's count bytes.
    EXPECT_EQ(pieces[0][1], 0xFF);
    EXPECT_EQ(pieces[0][2], 0xFF);

    EXPECT_EQ(Run({L"-smbw=" + List(65534, L"5"), L"-slave7=10", L"-register=7", L"-speed=400000"}).exitCode,
              kExitSuccess);
    const std::vector<Report> smbus = Sent(0x90);
    ASSERT_FALSE(smbus.empty());
    EXPECT_EQ(smbus[0][1] | smbus[0][2] << 8, 65535);  // the register index and 65534 bytes
    EXPECT_EQ(smbus[0][4], 0x07);
    EXPECT_EQ(smbus[0][5], 0x05);
}

TEST_F(CliCommands, AddressesReachTheChipInTheirForms) {
    // A read sets the read bit; a write sends the address as written.
    EXPECT_EQ(Run({L"-i2cr=1", L"-slave8=a0"}).exitCode, kExitSuccess);
    ASSERT_EQ(Sent(0x91).size(), 1u);
    EXPECT_EQ(Sent(0x91)[0][3], 0xA1);
    EXPECT_EQ(Run({L"-i2cw=00", L"-slave8=a1"}).exitCode, kExitSuccess);
    ASSERT_FALSE(Sent(0x90).empty());
    EXPECT_EQ(Sent(0x90)[0][3], 0xA1);
    // An SMBus read addresses the register phase with the address as stored.
    EXPECT_EQ(Run({L"-smbr=4", L"-slave7=0b", L"-register=2", L"-pec=on"}).exitCode, kExitSuccess);
    ASSERT_FALSE(Sent(0x94).empty());
    EXPECT_EQ(Sent(0x94)[0][3], 0x16);
    EXPECT_EQ(Sent(0x94)[0][4], 0x02);
}

TEST_F(CliCommands, FailedChecksSendNothing) {
    for (const std::vector<std::wstring>& args :
         {std::vector<std::wstring>{L"-i2cr=1", L"-slave7=50", L"-speed=47999"},
          std::vector<std::wstring>{L"-i2cr=0", L"-slave7=50"},
          std::vector<std::wstring>{L"-smbr=65535", L"-slave7=0b", L"-register=0"},
          std::vector<std::wstring>{L"-smbw=1", L"-slave7=0b"},
          std::vector<std::wstring>{L"-i2cwf=missing.txt", L"-slave7=50"}}) {
        EXPECT_NE(Run(args).exitCode, kExitSuccess);
        EXPECT_TRUE(chip->Requests().empty());
    }
}

}  // namespace
}  // namespace kelvane::testing
