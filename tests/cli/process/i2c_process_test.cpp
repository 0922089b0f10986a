// The I2C commands as a process: what a read shows or appends to a file,
// what a write sends, and every way each of them fails.
#include <string>

#include "cli/process/program_runner.h"
#include "commands/exit_codes.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::cli;

// The data line of bytes from..to-1 of the EEPROM's i = i pattern (from
// 0 to 16 at most).
std::string PatternLine(int from, int to) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string line = "    ";
    for (int i = from; i < to; ++i) {
        line += i == 0 ? std::string("0") : std::string("0x") + kDigits[i];
        line += i + 1 < to ? ", " : "\n";
    }
    return line;
}

class I2c : public CliProcessTest {
protected:
    void SetUp() override {
        CliProcessTest::SetUp();
        WriteBench(kOneChipBench);
    }
};

TEST_F(I2c, ReadShowsTheHeaderAndTheBytesOnTheConsole) {
    EXPECT_RUN(Run({"-i2cr=8", "-slave7=50"}),
               Connected(0) + "I2C Read 8 bytes, Slave = 0xa1 \n" + PatternLine(0, 8), kExitSuccess);
    // The 8-bit form A0 reads from A1 as well; one byte is the last byte.
    EXPECT_RUN(Run({"-I2CR=1", "-slave8=a0", "-speed=400000"}),
               Connected(0) + "I2C Read 1 bytes, Slave = 0xa1 \n    0x8\n", kExitSuccess);
}

TEST_F(I2c, SpeedAndCountLimits) {
    const std::string badSpeed = "Error: Invalid Speed. Speed must be between 48000 and 400000bps.";
    for (const char* speed : {"-speed=47999", "-speed=400001", "-speed=-48000", "-speed=0"}) {
        EXPECT_RUN(Run({"-i2cr=1", "-slave7=50", speed}), Connected(0) + badSpeed, kExitInvalidSpeed);
        EXPECT_RUN(Run({"-i2cw=00", "-slave7=50", speed}), Connected(0) + badSpeed, kExitInvalidSpeed);
    }
    EXPECT_EQ(Run({"-i2cr=1", "-slave7=50", "-speed=48000"}).status, 0);
    EXPECT_EQ(Run({"-i2cr=1", "-slave7=50", "-speed=400000"}).status, 0);

    const std::string badCount = "Error: Invalid number of bytes to read. Must be between 1 and 65535";
    EXPECT_RUN(Run({"-i2cr=0", "-slave7=50"}), Connected(0) + badCount, kExitInvalidReadSize);
    EXPECT_RUN(Run({"-i2cr=-1", "-slave7=50"}), Connected(0) + badCount, kExitInvalidReadSize);
    EXPECT_RUN(Run({"-i2cr=65536", "-slave7=50"}), Connected(0) + badCount, kExitInvalidReadSize);
}

TEST_F(I2c, TheLargestReadIsShownWhole) {
    // 65535 bytes run through the 256-byte memory, over and over.
    const ProgramRun largest = Run({"-i2cr=65535", "-slave7=50", "-speed=400000"});
    EXPECT_EQ(largest.status, 0);
    EXPECT_EQ(largest.err, "");
    const std::string start = Connected(0) + "I2C Read 65535 bytes, Slave = 0xa1 \n    0, 0x1, 0x2,";
    EXPECT_EQ(largest.out.compare(0, start.size(), start), 0);
    EXPECT_EQ(largest.out.substr(largest.out.size() - 29), "0xfa, 0xfb, 0xfc, 0xfd, 0xfe\n");
}

TEST_F(I2c, FrameChecksComeBeforeTheSpeedCheck) {
    EXPECT_RUN(Run({"-i2cr=1", "-speed=1"}), Connected(0) + "Error: No slave address provided.\n",
               kExitI2cReadFailed);
    EXPECT_RUN(Run({"-i2cw=00", "-speed=1"}), Connected(0) + "Error: No slave address provided.\n",
               kExitI2cWriteFailed);
    EXPECT_RUN(Run({"-i2cwf=data.txt"}), Connected(0) + "Error: No slave address provided.\n",
               kExitI2cWriteFailed);
    EXPECT_RUN(Run({"-i2cw=zz,,", "-slave7=50", "-speed=1"}), Connected(0) + "Error: No data provided.\n",
               kExitNoI2cData);
}

TEST_F(I2c, LibraryFailuresAreShownWithTheLibrarysCode) {
    // Nothing answers at 0x51: the address is not acknowledged.
    EXPECT_RUN(Run({"-i2cr=2", "-slave7=51"}), Connected(0) + "I2C Read failed. Error code: -23\n",
               kExitI2cReadFailed);
    EXPECT_RUN(Run({"-i2cw=1,2", "-slave7=51"}), Connected(0) + "I2C Write failed. Error code: -23\n",
               kExitI2cWriteFailed);
    // The chip does not answer the read request.
    WriteBench(std::string(kOneChipBench) + "  fault kind=no-answer command=91\n");
    EXPECT_RUN(Run({"-i2cr=2", "-slave7=50"}), Connected(0) + "I2C Read failed. Error code: -5\n",
               kExitI2cReadFailed);
    // The chip refuses every piece of a write.
    WriteBench(std::string(kOneChipBench) + "  fault kind=refuse command=90 value=41 times=forever\n");
    EXPECT_RUN(Run({"-i2cw=1,2", "-slave7=50"}), Connected(0) + "I2C Write failed. Error code: -19\n",
               kExitI2cWriteFailed);
}

TEST_F(I2c, WrittenBytesAreReadBackInTheNextRun) {
    // The first byte sets the EEPROM's address pointer.
    EXPECT_RUN(Run({"-i2cw=10,aa,0,ff", "-slave7=50"}), Connected(0) + "I2C Write Successful.\n", kExitSuccess);
    EXPECT_RUN(Run({"-i2cw=0e", "-slave8=A0"}), Connected(0) + "I2C Write Successful.\n", kExitSuccess);
    EXPECT_RUN(Run({"-i2cr=6", "-slave7=50"}),
               Connected(0) + "I2C Read 6 bytes, Slave = 0xa1 \n    0xe, 0xf, 0xaa, 0, 0xff, 0x13\n", kExitSuccess);
}

TEST_F(I2c, ReadToAFileIsAppendedAfterWhatItHolds) {
    WriteFile("out.txt", "earlier\n");
    EXPECT_RUN(Run({"-i2cr=3", "-slave7=50", "-f=out.txt"}), Connected(0) + "Data read to file.\n", kExitSuccess);
    EXPECT_RUN(Run({"-f=out.txt", "-i2cr=1", "-slave7=50"}), Connected(0) + "Data read to file.\n", kExitSuccess);
    EXPECT_EQ(ReadFile("out.txt"),
              "earlier\nI2C Read 3 bytes, Slave = 0xa1 \n    0, 0x1, 0x2\nI2C Read 1 bytes, Slave = 0xa1 \n    0x3\n");
    // A new file is made.
    EXPECT_RUN(Run({"-i2cr=1", "-slave7=50", "-f=new.txt"}), Connected(0) + "Data read to file.\n", kExitSuccess);
    EXPECT_EQ(ReadFile("new.txt"), "I2C Read 1 bytes, Slave = 0xa1 \n    0x4\n");
}

TEST_F(I2c, ResultFileFailures) {
    EXPECT_RUN(Run({"-i2cr=1", "-slave7=50", "-f=no-such-dir/out.txt"}), Connected(0) + "Error opening file.\n",
               kExitFileOpen);
    const std::string full = FullDevicePath();
    if (full.empty()) {
        GTEST_SKIP() << "no device here whose writes fail";
    }
    EXPECT_RUN(Run({"-i2cr=1", "-slave7=50", "-f=" + full}), Connected(0) + "Error closing file.\n",
               kExitFileClose);
    // The run ends there: a later write does not run.
    EXPECT_RUN(Run({"-i2cr=1", "-slave7=50", "-f=" + full, "-i2cw=00"}), Connected(0) + "Error closing file.\n",
               kExitFileClose);
}

TEST_F(I2c, WriteFromAFile) {
    WriteFile("data.txt", "0x20, 0x41,42\n43 0X44\n");
    EXPECT_RUN(Run({"-i2cwf=data.txt", "-slave7=50"}),
               Connected(0) + "Data read from file.\nI2C Write Successful.\n", kExitSuccess);
    EXPECT_RUN(Run({"-i2cw=20", "-slave7=50"}), Connected(0) + "I2C Write Successful.\n", kExitSuccess);
    EXPECT_RUN(Run({"-i2cr=5", "-slave7=50"}),
               Connected(0) + "I2C Read 5 bytes, Slave = 0xa1 \n    0x41, 0x42, 0x43, 0x44, 0x24\n", kExitSuccess);
    // A file without any number writes no byte at all, which the library
    // takes as a transfer of nothing.
    WriteFile("empty.txt", "no numbers; here!\n");
    const ProgramRun empty = Run({"-i2cwf=empty.txt", "-slave7=50"});
    EXPECT_EQ(empty.out.substr(0, Connected(0).size() + 21), Connected(0) + "Data read from file.\n");
    EXPECT_RUN(Run({"-i2cwf=missing.txt", "-slave7=50"}), Connected(0) + "Error opening file.\n", kExitFileOpen);
}

}  // namespace
}  // namespace kelvane::testing
