// The packet error code: CRC-8 of SMBus, checked against published check
// values and against the virtual devices' own bit-by-bit CRC.
#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "i2c/pec.h"
#include "slaves/smbus_crc.h"

namespace kelvane::testing {
namespace {

using i2c::PecUpdate;

std::uint8_t PecOf(std::string_view text) {
    std::uint8_t code = 0;
    for (const char c : text) {
        code = PecUpdate(code, static_cast<std::uint8_t>(c));
    }
    return code;
}

TEST(PecTest, KnownCheckValues) {
    EXPECT_EQ(PecOf("123456789"), 0xF4);  // the CRC-8 (0x07, init 0) check value
    EXPECT_EQ(PecOf(""), 0x00);
    EXPECT_EQ(PecUpdate(0, 0x01), 0x07);
    EXPECT_EQ(PecUpdate(0, 0x80), 0x89);
    EXPECT_EQ(PecUpdate(0, 0xFF), 0xF3);
    const std::array<std::uint8_t, 3> bytes = {0x31, 0x32, 0x33};
    EXPECT_EQ(PecUpdate(0, bytes), PecOf("123"));
}

TEST(PecTest, AgreesWithTheBitwiseCrcForEveryCodeAndByte) {
    for (int code = 0; code < 256; ++code) {
        for (int byte = 0; byte < 256; ++byte) {
            const auto c = static_cast<std::uint8_t>(code);
            const auto b = static_cast<std::uint8_t>(byte);
            ASSERT_EQ(PecUpdate(c, b), sim::SmbusCrc(c, b)) << code << " " << byte;
        }
    }
}

TEST(PecTest, BlockCodesCoverTheAddressBytesAsTheBusCarriesThem) {
    const std::array<std::uint8_t, 2> data = {0x12, 0x34};
    std::uint8_t expected = sim::SmbusCrc(sim::SmbusCrc(sim::SmbusCrc(0, 0x16), 0x12), 0x34);
    EXPECT_EQ(i2c::WriteBlockPec(0x16, data), expected);
    expected = sim::SmbusCrc(0, 0x16);
    for (const std::uint8_t byte : {std::uint8_t{0x07}, std::uint8_t{0x17}, data[0], data[1]}) {
        expected = sim::SmbusCrc(expected, byte);
    }
    EXPECT_EQ(i2c::ReadBlockPec(0x16, 0x07, data), expected);
}

}  // namespace
}  // namespace kelvane::testing
