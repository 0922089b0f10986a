// The lines that show a read's result, and the printf forms they use.
#include "output/read_output.h"

#include <gtest/gtest.h>

#include <vector>

#include "output/printf_text.h"

namespace kelvane::cli {
namespace {

TEST(ReadOutput, AlternateHexShowsZeroBare) {
    EXPECT_EQ(AlternateHex(0), L"0");
    EXPECT_EQ(AlternateHex(0x1A), L"0x1a");
    EXPECT_EQ(AlternateHexUpper(0), L"0");
    EXPECT_EQ(AlternateHexUpper(0x4B56), L"0X4B56");
}

TEST(ReadOutput, DataLineSeparatesAllButTheLastByte) {
    const std::vector<std::uint8_t> three{0x00, 0x1A, 0xFF};
    EXPECT_EQ(ReadDataLine(three), L"0, 0x1a, 0xff\n");
    const std::vector<std::uint8_t> one{0x00};
    EXPECT_EQ(ReadDataLine(one), L"0\n");
}

TEST(ReadOutput, Headers) {
    EXPECT_EQ(I2cReadHeader(2, 0xA1), L"I2C Read 2 bytes, Slave = 0xa1 \n    ");
    EXPECT_EQ(SmbusReadHeader(65534, 0xA0, 0, true, ReadOutputTarget::kConsole),
              L"SMBus Read 65534 bytes, Slave = 0xa0, Reg Index = 0, PEC = On\n    ");
    EXPECT_EQ(SmbusReadHeader(1, 0, 0x7F, false, ReadOutputTarget::kFile),
              L"SMBus Read 1 bytes, Slave = 0, Reg Index = 0x7f, PEC = Off  \n    ");
}

}  // namespace
}  // namespace kelvane::cli
