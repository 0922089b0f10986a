// The GPIO commands as a process, on a chip whose GP0 has a dedicated
// function, GP1 and GP3 are inputs that see high and low, and GP2 is an
// output driving high.
#include <string>

#include "cli/process/program_runner.h"
#include "commands/exit_codes.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::cli;

constexpr char kPins[] =
    "chip serial=KV000001\n"
    "  gp pin=0 designation=1\n"
    "  gp pin=1 direction=in level=1\n"
    "  gp pin=2 direction=out value=1\n"
    "  gp pin=3 direction=in level=0\n";

class Gpio : public CliProcessTest {
protected:
    void SetUp() override {
        CliProcessTest::SetUp();
        WriteBench(kPins);
    }

    void WithFault(const std::string& fault) { WriteBench(std::string(kPins) + "  fault " + fault + "\n"); }
};

TEST_F(Gpio, ReadReportsPinsInPinOrder) {
    EXPECT_RUN(Run({"-gpioR=3,gp0,1,GP2"}),
               Connected(0) + "GPIO Values read:\n\t GP0 is not a GPIO.\n\t GP1 = High\n\t GP2 = High\n\t GP3 = Low\n",
               kExitSuccess);
    EXPECT_RUN(Run({"-gpioR=3,gp0"}), Connected(0) + "GPIO Values read:\n\t GP0 is not a GPIO.\n\t GP3 = Low\n",
               kExitSuccess);
    EXPECT_RUN(Run({"-gpioR=7,x"}), Connected(0) + "GPIO Values read:\n", kExitSuccess);
}

TEST_F(Gpio, ConfigureMakesPinsGpiosAndReportsEachPin) {
    EXPECT_RUN(Run({"-gpioC=in,out,-,-"}),
               Connected(0) + "Pin Configuration updated: \n\t GP0 = Input\n\t GP1 = Output\n"
                              "\t GP2 = No Change\n\t GP3 = No Change\n",
               kExitSuccess);
    // GP0 is now a GPIO input; GP1 an output that kept its low value.
    EXPECT_RUN(Run({"-gpioR=0,1,2"}),
               Connected(0) + "GPIO Values read:\n\t GP0 = Low\n\t GP1 = Low\n\t GP2 = High\n", kExitSuccess);
    // Words that name no direction change nothing.
    EXPECT_RUN(Run({"-gpioC=x,y,z"}),
               Connected(0) + "Pin Configuration updated: \n\t GP0 = No Change\n\t GP1 = No Change\n"
                              "\t GP2 = No Change\n\t GP3 = No Change\n",
               kExitSuccess);
    EXPECT_RUN(Run({"-gpioR=1"}), Connected(0) + "GPIO Values read:\n\t GP1 = Low\n", kExitSuccess);
}

TEST_F(Gpio, WriteDrivesOutputsAndReportsPinsThatAreNot) {
    EXPECT_RUN(Run({"-gpioW=high,high,low,high"}),
               Connected(0) + "Pin Values updated: \n\t GP0 is not a Output pin.\n\t GP1 is not a Output pin.\n"
                              "\t GP2 = Low\n\t GP3 is not a Output pin.\n",
               kExitSuccess);
    EXPECT_RUN(Run({"-gpioR=2"}), Connected(0) + "GPIO Values read:\n\t GP2 = Low\n", kExitSuccess);
    // The value of GP3 went into its configuration all the same: it drives
    // high as soon as it becomes an output.
    EXPECT_EQ(Run({"-gpioC=-,-,-,out"}).status, 0);
    EXPECT_RUN(Run({"-gpioR=3"}), Connected(0) + "GPIO Values read:\n\t GP3 = High\n", kExitSuccess);
    EXPECT_RUN(Run({"-gpioW=-,-,h,low"}),
               Connected(0) + "Pin Values updated: \n\t GP0 = No Change\n\t GP1 = No Change\n"
                              "\t GP2 = High\n\t GP3 = Low\n",
               kExitSuccess);
}

TEST_F(Gpio, RefusedWritesOfTheConfiguration) {
    WithFault("kind=refuse command=60");
    EXPECT_RUN(Run({"-gpioC=out"}), Connected(0) + "Pin Configuration Failed. \n", kExitPinConfiguration);
    WithFault("kind=refuse command=60");
    EXPECT_RUN(Run({"-gpioW=-,-,low"}), Connected(0) + "Could not write GPIO values.\n \n", kExitGpioWrite);
    WriteBench(kPins);
    EXPECT_RUN(Run({"-gpioR=0,2"}), Connected(0) + "GPIO Values read:\n\t GP0 is not a GPIO.\n\t GP2 = High\n",
               kExitSuccess);
}

TEST_F(Gpio, AConfigurationThatCannotBeReadIsNeitherChangedNorWritten) {
    WithFault("kind=no-answer command=61");
    EXPECT_RUN(Run({"-gpioR=0"}), Connected(0) + "Could not read GPIO values.\n", kExitGpioRead);
    WithFault("kind=no-answer command=61");
    EXPECT_RUN(Run({"-gpioC=out,out,out,out"}), Connected(0) + "Pin Configuration Failed. \n",
               kExitPinConfiguration);
    WithFault("kind=no-answer command=61");
    EXPECT_RUN(Run({"-gpioW=-,-,low"}), Connected(0) + "Could not write GPIO values.\n \n", kExitGpioWrite);
    // Both failed commands left every pin as it was.
    WriteBench(kPins);
    EXPECT_RUN(Run({"-gpioR=0,1,2"}),
               Connected(0) + "GPIO Values read:\n\t GP0 is not a GPIO.\n\t GP1 = High\n\t GP2 = High\n", kExitSuccess);
}

TEST_F(Gpio, APinReadThatFailsIsReportedAsNotAGpio) {
    // The configuration read succeeds; the value read of the first pin asked
    // for gets no answer.
    WithFault("kind=no-answer command=51");
    EXPECT_RUN(Run({"-gpioR=1,2"}), Connected(0) + "GPIO Values read:\n\t GP1 is not a GPIO.\n\t GP2 = High\n",
               kExitSuccess);
}

}  // namespace
}  // namespace kelvane::testing
