// The SMBus commands as a process, on an SMBus device with packet error
// checking (block length 4) at 7-bit address 0x0B.
#include <string>

#include "cli/process/program_runner.h"
#include "commands/exit_codes.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::cli;

class Smbus : public CliProcessTest {
protected:
    void SetUp() override {
        CliProcessTest::SetUp();
        WriteBench(kOneChipBench);
    }
};

TEST_F(Smbus, ReadShowsTheConsoleHeaderAndTheBytes) {
    EXPECT_RUN(Run({"-smbr=4", "-slave7=0b", "-register=0", "-pec=on"}),
               Connected(0) + "SMBus Read 4 bytes, Slave = 0x16, Reg Index = 0, PEC = On\n    0, 0x1, 0x2, 0x3\n",
               kExitSuccess);
    // The address as given, bit 0 included; checking off.
    EXPECT_RUN(Run({"-smbr=2", "-slave8=17", "-register=fe"}),
               Connected(0) + "SMBus Read 2 bytes, Slave = 0x17, Reg Index = 0xfe, PEC = Off\n    0xfe, 0xff\n",
               kExitSuccess);
}

TEST_F(Smbus, ReadToAFileHasTwoSpacesBeforeTheHeadersLineEnd) {
    WriteFile("out.txt", "x");
    EXPECT_RUN(Run({"-smbr=4", "-slave7=0b", "-register=8", "-pec=on", "-f=out.txt"}),
               Connected(0) + "Data read to file.\n", kExitSuccess);
    EXPECT_EQ(ReadFile("out.txt"),
              "xSMBus Read 4 bytes, Slave = 0x16, Reg Index = 0x8, PEC = On  \n    0x8, 0x9, 0xa, 0xb\n");
    EXPECT_RUN(Run({"-smbr=1", "-slave7=0b", "-register=0", "-f=no-such-dir/out.txt"}),
               Connected(0) + "Error opening file.\n", kExitFileOpen);
    if (const std::string full = FullDevicePath(); !full.empty()) {
        EXPECT_RUN(Run({"-smbr=1", "-slave7=0b", "-register=0", "-f=" + full}), Connected(0) + "Error closing file.\n",
                   kExitFileClose);
    }
}

TEST_F(Smbus, ArgumentChecks) {
    const std::string noSlave = "Error: No slave address provided.\n";
    const std::string noRegister = "Error: No register index provided.\n";
    EXPECT_RUN(Run({"-smbr=1", "-speed=5"}), Connected(0) + noSlave, kExitSmbReadFailed);
    EXPECT_RUN(Run({"-smbr=1", "-slave7=0b", "-speed=5"}), Connected(0) + noRegister, kExitSmbReadFailed);
    EXPECT_RUN(Run({"-smbw=1", "-register=0"}), Connected(0) + noSlave, kExitSmbWriteFailed);
    EXPECT_RUN(Run({"-smbwf=data.txt", "-slave7=0b"}), Connected(0) + noRegister, kExitSmbWriteFailed);
    EXPECT_RUN(Run({"-smbw=xyz", "-slave7=0b", "-register=0", "-speed=5"}), Connected(0) + "Error: No data provided.\n",
               kExitNoSmbData);
    EXPECT_RUN(Run({"-smbw=1", "-slave7=0b", "-register=0", "-speed=400001"}),
               Connected(0) + "Error: Invalid Speed. Speed must be between 48000 and 400000bps.", kExitInvalidSpeed);
    const std::string badCount = "Error: Invalid number of bytes to read. Must be between 1 and 65534";
    EXPECT_RUN(Run({"-smbr=65535", "-slave7=0b", "-register=0"}), Connected(0) + badCount, kExitInvalidReadSize);
    EXPECT_RUN(Run({"-smbr=0", "-slave7=0b", "-register=0"}), Connected(0) + badCount, kExitInvalidReadSize);
    EXPECT_EQ(Run({"-smbr=65534", "-slave7=0b", "-register=0"}).status, 0);
}

TEST_F(Smbus, LibraryFailuresAreShownWithTheLibrarysCode) {
    // One byte more than the device's block: its PEC is not where the
    // library looks for it.
    EXPECT_RUN(Run({"-smbr=5", "-slave7=0b", "-register=0", "-pec=on"}),
               Connected(0) + "SMBus Read failed. Error code: -12\n", kExitSmbReadFailed);
    // No device at 0x0C: the engine goes idle after the register index.
    EXPECT_RUN(Run({"-smbr=2", "-slave7=0c", "-register=1"}), Connected(0) + "SMBus Read failed. Error code: -11\n",
               kExitSmbReadFailed);
    // The chip does not answer the write request.
    WriteBench(std::string(kOneChipBench) + "  fault kind=no-answer command=90\n");
    EXPECT_RUN(Run({"-smbw=1,2", "-slave7=0b", "-register=1", "-pec=on"}),
               Connected(0) + "SMBus Write failed. Error code: -5\n", kExitSmbWriteFailed);
}

TEST_F(Smbus, WritesWithPecReachTheRegistersAndAreReadBackInTheNextRun) {
    EXPECT_RUN(Run({"-smbw=aa,bb", "-slave7=0b", "-register=10", "-pec=on"}),
               Connected(0) + "SMBus Write Successful.\n", kExitSuccess);
    // Two values from a file: the register index and both values are sent.
    WriteFile("data.txt", "0xc1\n0xc2\n");
    EXPECT_RUN(Run({"-smbwf=data.txt", "-slave7=0b", "-register=20", "-pec=on"}),
               Connected(0) + "Data read from file.\nSMBus Write Successful.\n", kExitSuccess);
    EXPECT_RUN(Run({"-smbr=4", "-slave7=0b", "-register=10", "-pec=on"}),
               Connected(0) + "SMBus Read 4 bytes, Slave = 0x16, Reg Index = 0x10, PEC = On\n    0xaa, 0xbb, 0x12, 0x13\n",
               kExitSuccess);
    EXPECT_RUN(Run({"-smbr=4", "-slave7=0b", "-register=20", "-pec=on"}),
               Connected(0) + "SMBus Read 4 bytes, Slave = 0x16, Reg Index = 0x20, PEC = On\n    0xc1, 0xc2, 0x22, 0x23\n",
               kExitSuccess);
    EXPECT_RUN(Run({"-smbwf=missing.txt", "-slave7=0b", "-register=20"}), Connected(0) + "Error opening file.\n",
               kExitFileOpen);
}

}  // namespace
}  // namespace kelvane::testing
