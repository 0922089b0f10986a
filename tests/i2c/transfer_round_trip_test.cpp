// Data written to a device and read back through the virtual chip, at the
// three usual bus speeds and at the piece boundaries, up to the largest count.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "kelvane.h"
#include "support/i2c_fixture.h"

namespace kelvane::testing {
namespace {

enum class Device { kEeprom, kSmbus, kSmbusWithPec };

constexpr std::size_t kMemorySize = 65536;
constexpr std::uint8_t kStart = 0x37;  // the EEPROM pointer or SMBus register index
constexpr std::uint8_t kUntouched = 0xEE;

using RoundTripParam = std::tuple<Device, unsigned, unsigned>;

class RoundTripTest : public I2cFixture, public ::testing::WithParamInterface<RoundTripParam> {
protected:
    void SetUp() override {
        I2cFixture::SetUp();
        chip->SetRecording(false);
        std::mt19937 random(std::get<2>(GetParam()));
        eeprom = &chip->Engine().Bus().Attach<sim::EepromSlave>(kEeprom >> 1, kMemorySize);
        smbus = &chip->Engine().Bus().Attach<sim::SmbusDevice>(kSmbus >> 1, kMemorySize);
        for (std::vector<std::uint8_t>* memory : {&eeprom->Memory(), &smbus->Registers()}) {
            for (std::uint8_t& byte : *memory) {
                byte = static_cast<std::uint8_t>(random());
            }
        }
        // The data to write: the pointer or index first, then random bytes.
        // One byte more than the count, untouched, so that data() is never null.
        written.resize(Count() + 1);
        for (std::uint8_t& byte : written) {
            byte = static_cast<std::uint8_t>(random());
        }
        written[0] = kStart;
    }

    unsigned Count() const { return std::get<2>(GetParam()); }
    unsigned Speed() const { return std::get<1>(GetParam()); }

    // memory[start + i] == bytes[from + i] for i < count, wrapping round the memory.
    static bool Matches(const std::vector<std::uint8_t>& memory, std::size_t start,
                        const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (memory[(start + i) % memory.size()] != bytes[from + i]) {
                return false;
            }
        }
        return true;
    }

    std::vector<std::uint8_t> written;
    std::vector<std::uint8_t> back;
};

TEST_P(RoundTripTest, WhatIsWrittenIsStoredAndReadBack) {
    const Device device = std::get<0>(GetParam());
    const unsigned count = Count();
    const unsigned speed = Speed();
    const std::size_t stored = count > 0 ? count - 1 : 0;  // data bytes after the pointer or index
    back.assign(count + 1, kUntouched);

    if (device == Device::kEeprom) {
        ASSERT_EQ(WriteI2cData(kEeprom, written.data(), count, speed), 0);
        EXPECT_TRUE(Matches(eeprom->Memory(), kStart, written, 1, stored));
        const std::uint8_t start = kStart;
        ASSERT_EQ(WriteI2cData(kEeprom, &start, 1, speed), 0);
        ASSERT_EQ(ReadI2cData(kEeprom | 1, back.data(), count, speed), 0);
        EXPECT_TRUE(Matches(eeprom->Memory(), kStart, back, 0, count));
    } else {
        const unsigned char pec = device == Device::kSmbusWithPec ? 1 : 0;
        smbus->SetPecRequired(pec != 0);
        smbus->SetBlockLength(count);
        if (pec != 0 && count == 65535) {  // no room for the PEC byte
            EXPECT_EQ(SmbWriteBlock(kSmbus, written.data(), count, speed, pec), KELVANE_E_ARGUMENT_3);
            EXPECT_EQ(SmbReadBlock(kSmbus, back.data(), count, speed, pec, kStart), KELVANE_E_ARGUMENT_3);
            return;
        }
        ASSERT_EQ(SmbWriteBlock(kSmbus, written.data(), count, speed, pec), 0);
        EXPECT_EQ(smbus->PecErrors(), 0);
        EXPECT_TRUE(Matches(smbus->Registers(), kStart, written, 1, stored));
        ASSERT_EQ(SmbReadBlock(kSmbus, back.data(), count, speed, pec, kStart), 0);
        EXPECT_TRUE(Matches(smbus->Registers(), kStart, back, 0, count));
    }
    EXPECT_EQ(back[count], kUntouched) << "a byte beyond the count was written";
}

std::string Name(const ::testing::TestParamInfo<RoundTripParam>& info) {
    static const char* const kDevices[] = {"Eeprom", "Smbus", "SmbusPec"};
    return std::string(kDevices[static_cast<int>(std::get<0>(info.param))]) + "_" +
           std::to_string(std::get<1>(info.param)) + "bps_" + std::to_string(std::get<2>(info.param)) + "bytes";
}

INSTANTIATE_TEST_SUITE_P(AllDevices, RoundTripTest,
                         ::testing::Combine(::testing::Values(Device::kEeprom, Device::kSmbus, Device::kSmbusWithPec),
                                            ::testing::Values(48000u, 100000u, 400000u),
                                            ::testing::Values(0u, 1u, 60u, 61u, 65535u)),
                         Name);

}  // namespace
}  // namespace kelvane::testing
