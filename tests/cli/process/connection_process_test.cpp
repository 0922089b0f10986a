// The device listing and the connection to a chip by index or by serial
// number, on benches of none, one and two chips.
#include <string>

#include "cli/process/program_runner.h"
#include "commands/exit_codes.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::cli;

constexpr char kTwoChips[] =
    "chip serial=KV000001\n"
    "foreign id=HID\\VID_046D&PID_C52B&REV_1201\n"  // a keyboard: not listed
    "chip serial=kv000002\n"
    "chip vid=1209 pid=1234 serial=OTHERPID\n";

class Connection : public CliProcessTest {};

TEST_F(Connection, DevicesListsTheMatchingChipsWithTheirSerialNumbers) {
    WriteBench("# nothing attached\n");
    EXPECT_RUN(Run({"-devices"}), "No devices connected\n", kExitSuccess);

    WriteBench(kOneChipBench);
    EXPECT_RUN(Run({"/DEVICES"}), "Number of connected devices (VID = 0X1209, PID = 0X4B56): 1\n\n\t0) SN = \"KV000001\"\n",
               kExitSuccess);

    WriteBench(kTwoChips);
    EXPECT_RUN(Run({"-devices"}),
               "Number of connected devices (VID = 0X1209, PID = 0X4B56): 2\n\n"
               "\t0) SN = \"KV000001\"\n\t1) SN = \"kv000002\"\n",
               kExitSuccess);
    // The identifiers given are the ones looked for, and shown.
    EXPECT_RUN(Run({"-devices", "-pid=1234"}),
               "Number of connected devices (VID = 0X1209, PID = 0X1234): 1\n\n\t0) SN = \"OTHERPID\"\n", kExitSuccess);
}

TEST_F(Connection, AChipWhoseSerialNumberCannotBeReadIsListedAsNotAvailable) {
    // The first serial-number read of the first chip gets no answer.
    WriteBench("chip serial=KV000001\n  fault kind=no-answer command=b0\nchip serial=KV000002\n");
    EXPECT_RUN(Run({"-devices"}),
               "Number of connected devices (VID = 0X1209, PID = 0X4B56): 2\n\n"
               "\t0) SN = \"N/A\"\n\t1) SN = \"KV000002\"\n",
               kExitSuccess);
    // Looking for a serial number passes over that chip.
    EXPECT_RUN(Run({"-connectS=KV000002"}), "\nConnected to device 1, SN: KV000002\n\n", kExitSuccess);
    WriteBench("chip serial=KV000001\n  fault kind=no-answer command=b0\n");
    EXPECT_RUN(Run({"-connectS=KV000001"}), "Could not find SN: KV000001\n", kExitConnectFailed);
}

TEST_F(Connection, ByIndex) {
    WriteBench(kTwoChips);
    EXPECT_RUN(Run({"-connectI=1"}), Connected(1), kExitSuccess);
    EXPECT_RUN(Run({"-connectI=0"}), Connected(0), kExitSuccess);
    EXPECT_RUN(Run({"-connectI=2"}), "Could not connect to device 2\n", kExitConnectFailed);
    EXPECT_RUN(Run({"-connectI=-1"}), "Could not connect to device -1\n", kExitConnectFailed);
    // Without connectI a command runs on chip 0; without a chip it cannot.
    WriteBench("");
    EXPECT_RUN(Run({"-gpioR=0"}), "Could not connect to device 0\n", kExitConnectFailed);
}

TEST_F(Connection, BySerialNumberExactlyAndBeforeTheIndex) {
    WriteBench(kTwoChips);
    EXPECT_RUN(Run({"-connectS=kv000002"}), "\nConnected to device 1, SN: kv000002\n\n", kExitSuccess);
    // Letter case and the whole text count.
    EXPECT_RUN(Run({"-connectS=KV000002"}), "Could not find SN: KV000002\n", kExitConnectFailed);
    EXPECT_RUN(Run({"-connectS=KV00000"}), "Could not find SN: KV00000\n", kExitConnectFailed);
    EXPECT_RUN(Run({"-connectS=KV0000011"}), "Could not find SN: KV0000011\n", kExitConnectFailed);
    // connectS decides; the index is not looked at.
    EXPECT_RUN(Run({"-connectI=5", "-connectS=KV000001"}), "\nConnected to device 0, SN: KV000001\n\n",
               kExitSuccess);
    EXPECT_RUN(Run({"-connectS=kv000002", "-connectI=0", "-i2cw=00", "-slave7=50"}),
               "\nConnected to device 1, SN: kv000002\n\nI2C Write failed. Error code: -23\n", kExitI2cWriteFailed);
}

}  // namespace
}  // namespace kelvane::testing
