// Data files of the write commands as a process: their separators and odd
// characters, and which file a write takes its data from when a read on the
// same command line appends to a file.
#include <string>

#include "cli/process/program_runner.h"
#include "commands/exit_codes.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::cli;

class DataFiles : public CliProcessTest {
protected:
    void SetUp() override {
        CliProcessTest::SetUp();
        WriteBench(kOneChipBench);
    }

    // The data line of 4 EEPROM bytes from address `from`, read in a run of
    // its own (the first byte of a write sets the EEPROM's pointer).
    std::string EepromAt(const std::string& from) {
        EXPECT_EQ(Run({"-i2cw=" + from, "-slave7=50"}).status, 0);
        const ProgramRun read = Run({"-i2cr=4", "-slave7=50"});
        const std::size_t line = read.out.rfind("\n    ");
        return line == std::string::npos ? read.out : read.out.substr(line + 5);
    }

    // The data line of 4 SMBus registers from `from`.
    std::string RegistersAt(const std::string& from) {
        const ProgramRun read = Run({"-smbr=4", "-slave7=0b", "-pec=on", "-register=" + from});
        const std::size_t line = read.out.rfind("\n    ");
        return line == std::string::npos ? read.out : read.out.substr(line + 5);
    }

    void WriteRegistersFromFile(const std::string& reg, const std::string& text) {
        WriteFile("data.txt", text);
        EXPECT_RUN(Run({"-smbwf=data.txt", "-slave7=0b", "-pec=on", "-register=" + reg}),
                   Connected(0) + "Data read from file.\nSMBus Write Successful.\n", kExitSuccess);
    }
};

TEST_F(DataFiles, CommasWhiteSpaceOrBothSeparateTheNumbers) {
    WriteRegistersFromFile("10", "0x10, 0x20,0x30\n");
    EXPECT_EQ(RegistersAt("10"), "0x10, 0x20, 0x30, 0x13\n");
    WriteRegistersFromFile("20", "a1 a2\n\n\ta3");
    EXPECT_EQ(RegistersAt("20"), "0xa1, 0xa2, 0xa3, 0x23\n");
    WriteRegistersFromFile("30", "0XB1 ,\r\n b2 ,, b3,");
    EXPECT_EQ(RegistersAt("30"), "0xb1, 0xb2, 0xb3, 0x33\n");
}

TEST_F(DataFiles, OtherCharactersAreSkippedAndOnlyTheLowByteOfANumberCounts) {
    WriteRegistersFromFile("40", "aa;bb");
    EXPECT_EQ(RegistersAt("40"), "0xaa, 0xbb, 0x42, 0x43\n");
    // 1FF and 123456789abcdef0c1 keep their last two digits; -1 is 0xff; a
    // bare 0x reads as 0; z, ; and ! start no number.
    WriteRegistersFromFile("50", "1FF;-1 zz!0x 123456789abcdef0c1");
    EXPECT_EQ(RegistersAt("50"), "0xff, 0xff, 0, 0xc1\n");
}

TEST_F(DataFiles, AReadAppendsOnlyToTheFFileAndAWriteOnTheSameLineKeepsItsDataList) {
    WriteFile("out.txt", "");
    EXPECT_RUN(Run({"-i2cr=2", "-slave7=50", "-f=out.txt", "-i2cw=40,51,52"}),
               Connected(0) + "Data read to file.\nI2C Write Successful.\n", kExitSuccess);
    EXPECT_EQ(ReadFile("out.txt"), "I2C Read 2 bytes, Slave = 0xa1 \n    0, 0x1\n");
    EXPECT_EQ(EepromAt("40"), "0x51, 0x52, 0x42, 0x43\n");
}

TEST_F(DataFiles, AWriteFileIsOnlyEverRead) {
    WriteFile("data.txt", "50, 61, 62\n");
    // The read goes to the f file, the write takes the i2cWF file.
    EXPECT_RUN(Run({"-i2cwf=data.txt", "-i2cr=1", "-slave7=50", "-f=out.txt"}),
               Connected(0) + "Data read to file.\nData read from file.\nI2C Write Successful.\n", kExitSuccess);
    EXPECT_EQ(ReadFile("out.txt"), "I2C Read 1 bytes, Slave = 0xa1 \n    0\n");
    EXPECT_EQ(ReadFile("data.txt"), "50, 61, 62\n");
    EXPECT_EQ(EepromAt("50"), "0x61, 0x62, 0x52, 0x53\n");

    // Without an f file the read shows its bytes and ends the run: the
    // write file is neither appended to nor sent.
    WriteFile("data.txt", "60, 71\n");
    EXPECT_RUN(Run({"-i2cr=1", "-slave7=50", "-i2cwf=data.txt"}),
               Connected(0) + "I2C Read 1 bytes, Slave = 0xa1 \n    0x54\n", kExitSuccess);
    EXPECT_EQ(ReadFile("data.txt"), "60, 71\n");
    EXPECT_EQ(EepromAt("60"), "0x60, 0x61, 0x62, 0x63\n");
}

TEST_F(DataFiles, WithoutAReadTheFFileStillGivesAWriteItsData) {
    WriteFile("data.txt", "70, 81, 82");
    EXPECT_RUN(Run({"-i2cw=70,01", "-slave7=50", "-f=data.txt"}),
               Connected(0) + "Data read from file.\nI2C Write Successful.\n", kExitSuccess);
    EXPECT_EQ(EepromAt("70"), "0x81, 0x82, 0x72, 0x73\n");
    WriteFile("data.txt", "e1");
    EXPECT_RUN(Run({"-smbw=01", "-slave7=0b", "-register=60", "-pec=on", "-f=data.txt"}),
               Connected(0) + "Data read from file.\nSMBus Write Successful.\n", kExitSuccess);
    EXPECT_EQ(RegistersAt("60"), "0xe1, 0x61, 0x62, 0x63\n");
}

}  // namespace
}  // namespace kelvane::testing
