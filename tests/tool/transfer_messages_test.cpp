// i2ctransfer's descriptors: data suffixes, the address carried over, and
// the transfers that the messages need.
#include "bus/transfer_messages.h"

#include <gtest/gtest.h>

#include "common/failure.h"

namespace kelvane::tool {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(TransferMessages, DescriptorsAndSuffixes) {
    const std::vector<Message> messages =
        ParseMessages({"w5@0x50", "0x10", "0xfe+", "r2", "w3@0x0b", "0x02-", "w4", "7=", "w0"}, false);
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0].data, (Bytes{0x10, 0xFE, 0xFF, 0x00, 0x01}));
    EXPECT_TRUE(messages[1].read);
    EXPECT_EQ(messages[1].address, 0x50);
    EXPECT_EQ(messages[1].length, 2u);
    EXPECT_EQ(messages[2].data, (Bytes{0x02, 0x01, 0x00}));
    EXPECT_EQ(messages[3].address, 0x0B);
    EXPECT_EQ(messages[3].data, (Bytes{7, 7, 7, 7}));
    EXPECT_EQ(messages[4].length, 0u);
    EXPECT_EQ(Describe(messages[1]), "read of 2 bytes at 0x50");
    // A suffix ends its message; the next argument is a descriptor again.
    EXPECT_EQ(ParseMessages({"w3@0x50", "1", "2+", "r1"}, false)[0].data, (Bytes{1, 2, 3}));
    EXPECT_EQ(ParseMessages({"r1@0x7f"}, true)[0].address, 0x7F);
}

TEST(TransferMessages, RefusesWhatI2ctransferRefuses) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"r1"},                 // no address yet
        {"w2@0x50", "1"},       // a data byte short
        {"w1@0x50", "1", "2"},  // a data byte too many: no descriptor
        {"w1@0x50", "0x100"},   // not a byte
        {"w1@0x50", "1p"},      // pseudo-random data
        {"r0@0x50"},            // a read of nothing
        {"r65536@0x50"},        // longer than a transfer
        {"r1@0x78"},            // reserved without -a
        {"q1@0x50"},
        {"r@0x50"},
    };
    for (const std::vector<std::string>& arguments : refused) {
        EXPECT_THROW(ParseMessages(arguments, false), UsageError) << (arguments.empty() ? "" : arguments[0]);
    }
    std::vector<std::string> many;
    for (std::size_t i = 0; i <= kMostMessages; ++i) {
        many.push_back("r1@0x50");
    }
    EXPECT_THROW(ParseMessages(many, false), UsageError);
}

TEST(TransferMessages, PlansOneTransferOrStopsBetween) {
    const auto plan = [](const std::vector<std::string>& arguments, bool allowStop) {
        std::vector<std::size_t> counts;
        for (const BusTransfer& transfer : PlanTransfers(ParseMessages(arguments, false), allowStop)) {
            counts.push_back(transfer.count);
        }
        return counts;
    };
    EXPECT_EQ(plan({"w3@0x50", "1", "2", "3"}, false), (std::vector<std::size_t>{1}));
    EXPECT_EQ(plan({"r8@0x50"}, false), (std::vector<std::size_t>{1}));
    EXPECT_EQ(plan({"w1@0x50", "0", "r8"}, false), (std::vector<std::size_t>{2}));
    // Not a register read: two bytes written, or another address read.
    EXPECT_THROW(plan({"w2@0x50", "0", "0", "r8"}, false), UsageError);
    EXPECT_THROW(plan({"w1@0x50", "0", "r8@0x51"}, false), UsageError);
    EXPECT_THROW(plan({"r1@0x50", "w1", "0", "r1"}, false), UsageError);
    EXPECT_EQ(plan({"r1@0x50", "w1", "0", "r1", "w1", "5", "w0@0x3c"}, true), (std::vector<std::size_t>{1, 2, 1, 1}));
}

}  // namespace
}  // namespace kelvane::tool
