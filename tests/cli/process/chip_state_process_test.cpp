// The virtual chips' state between runs of the program: where it is kept,
// and what the library makes of a state file it cannot use.
#include <string>

#include "cli/process/program_runner.h"
#include "commands/exit_codes.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::cli;

constexpr char kDefaultStateFile[] = "kelvane-virtual-state.txt";

class ChipState : public CliProcessTest {
protected:
    std::string ReadTwoBytes() { return Run({"-i2cr=2", "-slave7=50"}).out; }
    static std::string TwoBytes(const std::string& line) {
        return Connected(0) + "I2C Read 2 bytes, Slave = 0xa1 \n    " + line + "\n";
    }
};

TEST_F(ChipState, WithoutABenchFileTheDefaultBenchKeepsItsStateInTheWorkingDirectory) {
    EXPECT_RUN(Run({"-devices"}), "Number of connected devices (VID = 0X1209, PID = 0X4B56): 1\n\n\t0) SN = \"KV000001\"\n",
               kExitSuccess);
    EXPECT_RUN(Run({"-smbr=4", "-slave7=0b", "-register=0", "-pec=on"}),
               Connected(0) + "SMBus Read 4 bytes, Slave = 0x16, Reg Index = 0, PEC = On\n    0, 0x1, 0x2, 0x3\n",
               kExitSuccess);
    EXPECT_EQ(Run({"-i2cw=00,c0,c1", "-slave7=50"}).status, 0);
    EXPECT_EQ(Run({"-i2cw=00", "-slave7=50"}).status, 0);
    EXPECT_EQ(ReadTwoBytes(), TwoBytes("0xc0, 0xc1"));
    EXPECT_TRUE(FileExists(kDefaultStateFile));
}

TEST_F(ChipState, TheBenchFileCanNameTheStateFileOrKeepNone) {
    WriteBench(std::string("state=chips.state\n") + kOneChipBench);
    EXPECT_EQ(Run({"-i2cw=00,d0", "-slave7=50"}).status, 0);
    EXPECT_EQ(Run({"-i2cw=00", "-slave7=50"}).status, 0);
    EXPECT_EQ(ReadTwoBytes(), TwoBytes("0xd0, 0x1"));
    EXPECT_TRUE(FileExists("chips.state"));
    EXPECT_FALSE(FileExists(kDefaultStateFile));

    WriteBench(std::string("state=\n") + kOneChipBench);
    EXPECT_EQ(Run({"-i2cw=00,e0", "-slave7=50"}).status, 0);
    EXPECT_EQ(ReadTwoBytes(), TwoBytes("0, 0x1"));
    EXPECT_FALSE(FileExists(kDefaultStateFile));
}

TEST_F(ChipState, AStateFileThatCannotBeUsedIsIgnored) {
    WriteBench(kOneChipBench);
    WriteFile(kDefaultStateFile, "kelvane-virtual-state 1\nchip 1 1209 4b56 KV000001\nflash-settings zz\n");
    EXPECT_EQ(ReadTwoBytes(), TwoBytes("0, 0x1"));
    // It has been replaced by a good one.
    EXPECT_EQ(ReadTwoBytes(), TwoBytes("0x2, 0x3"));

    // A chip described differently from the one whose state was kept starts
    // afresh.
    EXPECT_EQ(Run({"-i2cw=00,f0", "-slave7=50"}).status, 0);
    WriteBench("chip serial=KV000009\n  eeprom addr7=50 pattern=index\n");
    EXPECT_EQ(ReadTwoBytes(), TwoBytes("0, 0x1"));
    // So does a device of another size at the same address.
    EXPECT_EQ(Run({"-i2cw=00,f0", "-slave7=50"}).status, 0);
    WriteBench("chip serial=KV000009\n  eeprom addr7=50 size=128 pattern=index\n");
    EXPECT_EQ(ReadTwoBytes(), TwoBytes("0, 0x1"));
}

}  // namespace
}  // namespace kelvane::testing
