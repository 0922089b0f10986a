// Inputs of the virtual chip that move with the wall clock: the waveforms
// at the ADC channels and the GPIO inputs that flip, as the bench file
// describes them and as the library reads them, on a wall clock the test
// sets.
#include <gtest/gtest.h>

#include <set>

#include "bench/bench_description.h"
#include "bench/bench_file.h"
#include "chip/input_signals.h"
#include "kelvane.h"
#include "support/sim_fixture.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::sim;

TEST(InputSignals, WaveformsInMillivolts) {
    const AnalogSignal constant{Waveform::kConstant, 100, 1200, 1000};
    EXPECT_EQ(MillivoltsAt(constant, 0), 1200u);
    EXPECT_EQ(MillivoltsAt(constant, 777), 1200u);

    const AnalogSignal sine{Waveform::kSine, 1000, 3000, 2000};
    EXPECT_EQ(MillivoltsAt(sine, 0), 2000u);        // the middle, rising
    EXPECT_EQ(MillivoltsAt(sine, 500), 3000u);      // a quarter period: the top
    EXPECT_EQ(MillivoltsAt(sine, 1500), 1000u);     // three quarters: the bottom
    EXPECT_EQ(MillivoltsAt(sine, 2500), 3000u);     // periodic
    EXPECT_EQ(MillivoltsAt(sine, 1'000'000'500), 3000u);  // whatever the epoch

    const AnalogSignal ramp{Waveform::kRamp, 500, 2500, 1000};
    EXPECT_EQ(MillivoltsAt(ramp, 0), 500u);
    EXPECT_EQ(MillivoltsAt(ramp, 500), 1500u);
    EXPECT_EQ(MillivoltsAt(ramp, 999), 2498u);
    EXPECT_EQ(MillivoltsAt(ramp, 1000), 500u);

    const AnalogSignal noise{Waveform::kNoise, 1000, 1010, 1};
    std::set<std::uint32_t> seen;
    for (std::uint64_t t = 0; t < 200; ++t) {
        const std::uint32_t mv = MillivoltsAt(noise, t);
        EXPECT_GE(mv, 1000u);
        EXPECT_LE(mv, 1010u);
        seen.insert(mv);
    }
    EXPECT_GT(seen.size(), 5u);  // it does move
}

TEST(InputSignals, ReadingsAgainstEachReferenceStopAtFullScale) {
    EXPECT_EQ(AdcReading(2500, 0b000), 512);  // the supply, 5 V
    EXPECT_EQ(AdcReading(512, 0b011), 512);   // 1.024 V
    EXPECT_EQ(AdcReading(1024, 0b101), 512);  // 2.048 V
    EXPECT_EQ(AdcReading(2048, 0b111), 512);  // 4.096 V
    EXPECT_EQ(AdcReading(1024, 0b011), 1023);
    EXPECT_EQ(AdcReading(65535, 0b000), 1023);
    EXPECT_EQ(AdcReading(0, 0b111), 0);
}

TEST(InputSignals, LevelsFlipEveryPeriod) {
    EXPECT_EQ(LevelAt({1, 0}, 12345), 1);
    const LevelSignal toggling{0, 250};
    EXPECT_EQ(LevelAt(toggling, 0), 0);
    EXPECT_EQ(LevelAt(toggling, 249), 0);
    EXPECT_EQ(LevelAt(toggling, 250), 1);
    EXPECT_EQ(LevelAt(toggling, 500), 0);
}

TEST(InputSignals, TheBenchFileGivesChannelsAndTogglingPins) {
    const std::optional<BenchDescription> bench = ParseBenchFile(
        "chip\n"
        "  adc channel=1 wave=sine min=0 max=3300 period=2000\n"
        "  adc channel=3 wave=noise max=100\n"
        "  gp pin=1 direction=in level=1 toggle=500\n");
    ASSERT_TRUE(bench.has_value());
    const ChipDescription& chip = *bench->ports[0].chip;
    ASSERT_EQ(chip.analogInputs.size(), 2u);
    EXPECT_EQ(chip.analogInputs[0].channel, 1u);
    EXPECT_EQ(chip.analogInputs[0].signal.wave, Waveform::kSine);
    EXPECT_EQ(chip.analogInputs[0].signal.maxMv, 3300u);
    EXPECT_EQ(chip.analogInputs[0].signal.periodMs, 2000u);
    EXPECT_EQ(chip.analogInputs[1].signal.minMv, 0u);
    EXPECT_EQ(chip.pins[0].toggleMs, 500u);

    for (const char* refused : {"adc wave=sine", "adc channel=0", "adc channel=4", "adc channel=1 wave=square",
                                "adc channel=1 min=20 max=10", "adc channel=1 max=65536", "adc channel=1 period=0",
                                "adc channel=1 period=3600001", "adc channel=1 offset=3",
                                "adc channel=2\n  adc channel=2", "gp pin=0 toggle=0", "gp pin=0 toggle=x"}) {
        EXPECT_FALSE(ParseBenchFile(std::string("chip\n  ") + refused + "\n").has_value()) << refused;
    }
    EXPECT_FALSE(ParseBenchFile("adc channel=1\n").has_value());  // before any chip
}

class MovingInputs : public SimFixture {
protected:
    void SetUp() override {
        const std::optional<BenchDescription> description = ParseBenchFile(
            "chip\n"
            "  adc channel=2 wave=ramp min=0 max=4000 period=1000\n"
            "  gp pin=3 direction=in level=0 toggle=100\n");
        ASSERT_TRUE(description.has_value());
        BuildBench(*description, bench);
        Chip* chip = bench.ChipAt("1");
        ASSERT_NE(chip, nullptr);
        chip->inputs.wallClockMs = [this] { return wallMs_; };
        ASSERT_EQ(GetConnectionStatus(), 1);
    }

    std::uint64_t wallMs_ = 0;
};

TEST_F(MovingInputs, TheLibraryReadsThemAsTheWallClockMoves) {
    unsigned short readings[3] = {};
    ASSERT_EQ(GetAdcData(readings), 0);
    EXPECT_EQ(readings[0], 0);  // no signal: the chip's fixed reading
    EXPECT_EQ(readings[1], 0);
    wallMs_ = 500;  // 2000 mV of the 5 V supply
    ASSERT_EQ(GetAdcData(readings), 0);
    EXPECT_EQ(readings[1], 409);
    ASSERT_EQ(SetAdcVoltageReference(2), 0);  // 2.048 V: nearly full scale
    ASSERT_EQ(GetAdcData(readings), 0);
    EXPECT_EQ(readings[1], 1000);

    wallMs_ = 1050;
    EXPECT_EQ(ReadGpioPinValue(3), 0);
    wallMs_ = 1150;
    EXPECT_EQ(ReadGpioPinValue(3), 1);
    wallMs_ = 1250;
    EXPECT_EQ(ReadGpioPinValue(3), 0);
}

}  // namespace
}  // namespace kelvane::testing
