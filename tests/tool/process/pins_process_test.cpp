// gpio, adc and dac on a virtual chip: the pins' table, a pin made an
// output or input, the ADC channels and the DAC in volts.
#include "tool/process/tool_process_test.h"

namespace kelvane::testing {
namespace {

class PinsProcessTest : public ToolProcessTest {
protected:
    void SetUp() override {
        ToolProcessTest::SetUp();
        WriteBench(
            "chip\n  gp pin=0 direction=out value=1\n  gp pin=1 direction=in level=1\n"
            "  gp pin=2 designation=2\n");
    }
};

TEST_F(PinsProcessTest, GpioShowsAndSetsThePins) {
    EXPECT_RUN(Run({"gpio"}),
               "pin  designation  direction  level\n"
               "GP0  gpio         out        1\n"
               "GP1  gpio         in         1\n"
               "GP2  function 2   -          -\n"
               "GP3  gpio         in         0\n",
               kSuccess);
    // GP2 becomes a GPIO output driven high; the other pins stay.
    EXPECT_RUN(Run({"gpio", "2", "out", "1"}), "pin  designation  direction  level\nGP2  gpio         out        1\n",
               kSuccess);
    EXPECT_RUN(Run({"gpio", "0", "out", "0"}), "pin  designation  direction  level\nGP0  gpio         out        0\n",
               kSuccess);
    // An output keeps its level when none is given; an input sees its level.
    EXPECT_RUN(Run({"gpio", "2", "out"}), "pin  designation  direction  level\nGP2  gpio         out        1\n",
               kSuccess);
    EXPECT_RUN(Run({"gpio", "0", "in"}), "pin  designation  direction  level\nGP0  gpio         in         0\n",
               kSuccess);
    const nlohmann::json pins = RunJson({"gpio"});
    ASSERT_EQ(pins["pins"].size(), 4u);
    EXPECT_EQ(pins["pins"][1]["level"], 1);
    EXPECT_EQ(pins["pins"][2]["direction"], "out");
    EXPECT_EQ(pins["pins"][2]["designation"], 0);
    EXPECT_EQ(pins["pins"][3]["gpio"], true);

    ExpectFailure(Run({"gpio", "4"}), kUsage, "PIN must be a number from 0 to 3");
    ExpectFailure(Run({"gpio", "1", "in", "1"}), kUsage, "a level goes with out only");
    ExpectFailure(Run({"gpio", "1", "up"}), kUsage, "in or out");
}

TEST_F(PinsProcessTest, AdcAndDacInVolts) {
    EXPECT_RUN(Run({"adc"}),
               "ADC reference 0 (5.000 V)\nchannel 1: 0 (0.000 V)\nchannel 2: 0 (0.000 V)\n"
               "channel 3: 0 (0.000 V)\n",
               kSuccess);
    const nlohmann::json adc = RunJson({"adc", "-R", "2"});
    EXPECT_EQ(adc["reference"]["number"], 2);
    EXPECT_DOUBLE_EQ(adc["reference"]["volts"].get<double>(), 2.048);
    ASSERT_EQ(adc["channels"].size(), 3u);
    EXPECT_EQ(adc["channels"][0]["raw"], 0);
    // The reference stays set in the runtime settings.
    const ProgramRun kept = Run({"adc", "--supply", "3.3"});
    EXPECT_EQ(kept.out.substr(0, 26), "ADC reference 2 (2.048 V)\n");
    EXPECT_EQ(kept.status, kSuccess);

    EXPECT_RUN(Run({"dac", "-R", "1", "12"}), "DAC 12 of 31, reference 1 (1.024 V): 0.384 V\n", kSuccess);
    EXPECT_RUN(Run({"dac", "--reference", "0", "--supply", "3.2"}), "DAC 12 of 31, reference 0 (3.200 V): 1.200 V\n",
               kSuccess);
    const nlohmann::json dac = RunJson({"dac", "31"});
    EXPECT_EQ(dac["value"], 31);
    EXPECT_DOUBLE_EQ(dac["volts"].get<double>(), 31 * 5.0 / 32);

    ExpectFailure(Run({"dac", "32"}), kUsage, "VALUE must be a number from 0 to 31");
    ExpectFailure(Run({"adc", "-R", "4"}), kUsage, "--reference must be a number from 0 to 3");
    ExpectFailure(Run({"dac", "--supply", "-1"}), kUsage, "--supply");
}

// Readings that are not 0, from the bench's inputs (the chip takes its
// supply as 5 V): a reading r is r / 1024 of the reference, channel by
// channel, with the reference the chip reads against.
TEST_F(PinsProcessTest, AdcVoltsOfReadingsThatAreNotZero) {
    WriteBench("chip\n  adc channel=1 max=2500\n  adc channel=3 max=1000\n");
    EXPECT_RUN(Run({"adc"}),
               "ADC reference 0 (5.000 V)\nchannel 1: 512 (2.500 V)\nchannel 2: 0 (0.000 V)\n"
               "channel 3: 204 (0.996 V)\n",
               kSuccess);
    // 2.5 V is above 2.048 V: the chip reads its top, 1023.
    const nlohmann::json adc = RunJson({"adc", "-R", "2"});
    ASSERT_EQ(adc["channels"].size(), 3u);
    EXPECT_EQ(adc["channels"][0]["raw"], 1023);
    EXPECT_DOUBLE_EQ(adc["channels"][0]["volts"].get<double>(), 1023 * 2.048 / 1024);
    EXPECT_EQ(adc["channels"][1]["raw"], 0);
    EXPECT_DOUBLE_EQ(adc["channels"][1]["volts"].get<double>(), 0.0);
    EXPECT_EQ(adc["channels"][2]["channel"], 3);
    EXPECT_EQ(adc["channels"][2]["raw"], 500);
    EXPECT_DOUBLE_EQ(adc["channels"][2]["volts"].get<double>(), 1.0);
    // Reference 0 with another supply: the same reading, in volts of it.
    EXPECT_RUN(Run({"adc", "-R", "0", "--supply", "3.3"}),
               "ADC reference 0 (3.300 V)\nchannel 1: 512 (1.650 V)\nchannel 2: 0 (0.000 V)\n"
               "channel 3: 204 (0.657 V)\n",
               kSuccess);
}

}  // namespace
}  // namespace kelvane::testing
