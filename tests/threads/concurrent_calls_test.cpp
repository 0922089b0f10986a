// Eight threads calling the virtual flavour of the library at once, each its
// own kind of call with an answer it can check (three USB strings, which
// share one command code; EEPROM reads, whose bytes run on from one to the
// next; SMBus block reads with PEC; the pin configuration; versions and
// line levels; a DAC value that only its thread writes, read back), for a
// few seconds. No call may get another's answer or fail. Built and run
// under ThreadSanitizer too (scripts/test.sh), where every race in the
// library or the virtual chip fails the run.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "kelvane.h"

namespace {

using Clock = std::chrono::steady_clock;

// A string getter as the header declares it (__stdcall in 32-bit Windows).
using StringGetter = decltype(&GetSerialNumber);

std::u16string ChipString(StringGetter getter) {
    KelvaneChar buffer[64] = {};
    if (getter(buffer) != 0) {
        return u"<failed>";
    }
    return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

struct Expected {
    std::u16string serial;
    std::u16string manufacturer;
    std::u16string product;
    std::array<unsigned char, 4> designation{};
    std::array<unsigned char, 4> direction{};
    std::string firmware;
    int scl = 0;
};

// One thread's kind of call: true when the answer was right.
bool CallOnce(int kind, int round, const Expected& expected) {
    switch (kind) {
        case 0:
            return ChipString(GetSerialNumber) == expected.serial;
        case 1:
            return ChipString(GetUsbStringManufacturer) == expected.manufacturer;
        case 2:
            return ChipString(GetUsbStringDescriptor) == expected.product;
        case 3: {
            // The EEPROM holds byte i = i; a read goes on from its pointer.
            unsigned char data[24] = {};
            if (ReadI2cData(0xA1, data, sizeof data, 400000) != 0) {
                return false;
            }
            for (std::size_t i = 1; i < sizeof data; ++i) {
                if (data[i] != static_cast<unsigned char>(data[i - 1] + 1)) {
                    return false;
                }
            }
            return true;
        }
        case 4: {
            const unsigned char index = static_cast<unsigned char>(round % 200);
            unsigned char data[4] = {};
            if (SmbReadBlock(0x16, data, sizeof data, 400000, 1, index) != 0) {
                return false;
            }
            for (unsigned char i = 0; i < 4; ++i) {
                if (data[i] != index + i) {
                    return false;
                }
            }
            return true;
        }
        case 5: {
            std::array<unsigned char, 4> designation{};
            std::array<unsigned char, 4> direction{};
            std::array<unsigned char, 4> value{};
            return GetGpPinConfiguration(0, designation.data(), direction.data(), value.data()) == 0 &&
                   designation == expected.designation && direction == expected.direction &&
                   ReadGpioPinValue(1) == 1;
        }
        case 6: {
            char firmware[4] = {};
            return GetConnectionStatus() == 1 && GetDevCount() == 1 && GetFirmwareVersion(firmware) == 0 &&
                   firmware == expected.firmware && GetSclLineValue() == expected.scl;
        }
        default: {
            const int value = round % 32;
            return SetDacValue(value) == 0 && GetDacValue() == value;
        }
    }
}

TEST(ConcurrentCalls, EightThreadsOnOneChipEachGetOnlyTheirOwnAnswers) {
    ASSERT_NE(std::getenv("KELVANE_SIM_BENCH"), nullptr) << "the test's bench file is not set";
    DllInit();
    ASSERT_EQ(GetConnectionStatus(), 1);
    Expected expected;
    expected.serial = ChipString(GetSerialNumber);
    expected.manufacturer = ChipString(GetUsbStringManufacturer);
    expected.product = ChipString(GetUsbStringDescriptor);
    ASSERT_EQ(expected.serial, u"KV000001");
    ASSERT_NE(expected.manufacturer, expected.product);
    std::array<unsigned char, 4> value{};
    ASSERT_EQ(GetGpPinConfiguration(0, expected.designation.data(), expected.direction.data(), value.data()), 0);
    char firmware[4] = {};
    ASSERT_EQ(GetFirmwareVersion(firmware), 0);
    expected.firmware = firmware;
    expected.scl = GetSclLineValue();
    ASSERT_GE(expected.scl, 0);

    constexpr int kThreads = 8;
    const auto end = Clock::now() + std::chrono::seconds(3);
    std::array<std::atomic<int>, kThreads> calls{};
    std::array<std::atomic<int>, kThreads> wrong{};
    std::vector<std::thread> threads;
    for (int kind = 0; kind < kThreads; ++kind) {
        threads.emplace_back([&, kind] {
            for (int round = 0; Clock::now() < end; ++round) {
                if (!CallOnce(kind, round, expected)) {
                    ++wrong[static_cast<std::size_t>(kind)];
                }
                ++calls[static_cast<std::size_t>(kind)];
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int kind = 0; kind < kThreads; ++kind) {
        const std::size_t k = static_cast<std::size_t>(kind);
        EXPECT_EQ(wrong[k].load(), 0) << "kind " << kind << ", of " << calls[k].load() << " calls";
        EXPECT_GE(calls[k].load(), 10) << "kind " << kind << " hardly ran";
    }
}

}  // namespace
