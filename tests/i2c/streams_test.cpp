// The last guards between the chip's answers and memory: a write stream and a
// read sink refuse any range outside the transfer or the report, which the
// engine turns into -17 instead of a copy out of bounds.
#include <gtest/gtest.h>

#include <array>
#include <span>
#include <vector>

#include "i2c/streams.h"

namespace kelvane::testing {
namespace {

using i2c::ReadSink;
using i2c::WriteStream;

TEST(TransferBuffersTest, AWriteStreamCopiesOnlyWhatLiesInsideItAndTheDestination) {
    const std::array<std::uint8_t, 3> data = {1, 2, 3};
    const WriteStream stream(data, 0x99);
    std::array<std::uint8_t, 4> dest{};
    ASSERT_TRUE(stream.CopyOut(2, 2, dest));
    EXPECT_EQ(dest, (std::array<std::uint8_t, 4>{3, 0x99, 0, 0}));
    ASSERT_TRUE(stream.CopyOut(3, 1, dest));
    EXPECT_EQ(dest[0], 0x99);
    ASSERT_TRUE(stream.CopyOut(4, 0, dest));

    dest.fill(0xEE);
    EXPECT_FALSE(stream.CopyOut(2, 3, dest));  // past the trailer
    EXPECT_FALSE(stream.CopyOut(5, 0, dest));  // starts past the end
    EXPECT_FALSE(stream.CopyOut(0, 4, std::span(dest).first(3)));  // more than the destination holds
    EXPECT_EQ(dest, (std::array<std::uint8_t, 4>{0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST(TransferBuffersTest, AReadSinkStoresNothingPastItsTotalAndKeepsThePecApart) {
    std::vector<std::uint8_t> buffer(4, 0xEE);
    ReadSink sink{std::span(buffer).first(3), ReadSink::Trailer::kPec};
    EXPECT_EQ(sink.Total(), 4u);
    const std::array<std::uint8_t, 5> bytes = {1, 2, 3, 4, 5};
    EXPECT_FALSE(sink.Take(bytes));  // five bytes into four
    EXPECT_EQ(sink.Received(), 0u);
    ASSERT_TRUE(sink.Take(std::span(bytes).first(2)));
    ASSERT_TRUE(sink.Take(std::span(bytes).subspan(2, 2)));
    EXPECT_TRUE(sink.Complete());
    EXPECT_EQ(sink.Pec(), 4);
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{1, 2, 3, 0xEE}));
    EXPECT_FALSE(sink.Take(std::span(bytes).first(1)));
    EXPECT_EQ(buffer[3], 0xEE);
}

}  // namespace
}  // namespace kelvane::testing
