// The data-file reader of the write commands.
#include "output/data_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kelvane::cli {
namespace {

// The values a file with this text yields, read with the given capacity.
std::vector<std::uint8_t> Values(const std::string& text, std::size_t capacity = 64) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    if (file == nullptr) {
        return {};
    }
    std::fwrite(text.data(), 1, text.size(), file);
    // The reader starts from the beginning, wherever the file stands.
    std::vector<std::uint8_t> values(capacity + 1, 0xEE);
    const std::size_t count = ReadDataFile(file, values.data(), capacity);
    std::fclose(file);
    EXPECT_LE(count, capacity);
    EXPECT_EQ(values[capacity], 0xEE) << "wrote past the capacity";
    values.resize(count);
    return values;
}

using Bytes = std::vector<std::uint8_t>;

TEST(ReadDataFile, NumbersSeparatedByCommasWhiteSpaceOrBoth) {
    EXPECT_EQ(Values("0x10, 0x20,0x30\n"), (Bytes{0x10, 0x20, 0x30}));
    EXPECT_EQ(Values("10 20\n30"), (Bytes{0x10, 0x20, 0x30}));
    EXPECT_EQ(Values(" \t10\r\n,\v20 ,\f30,"), (Bytes{0x10, 0x20, 0x30}));
    EXPECT_EQ(Values(""), Bytes{});
    EXPECT_EQ(Values(" \n,,\n"), Bytes{});
}

TEST(ReadDataFile, NumbersKeepTheirLowByte) {
    EXPECT_EQ(Values("1FF,0X0aB,123456789abcdef012,0"), (Bytes{0xFF, 0xAB, 0x12, 0x00}));
    // A sign counts as scanf counts it; the low byte of the result is kept.
    EXPECT_EQ(Values("-1,+5,-0x10"), (Bytes{0xFF, 0x05, 0xF0}));
    // A 0x prefix with no digit after it is the number 0.
    EXPECT_EQ(Values("0x,0xg,7"), (Bytes{0x00, 0x00, 0x07}));
}

TEST(ReadDataFile, CharactersThatStartNoNumberAreSkippedOneByOne) {
    EXPECT_EQ(Values("aa;bb"), (Bytes{0xAA, 0xBB}));
    EXPECT_EQ(Values("zz12!!34"), (Bytes{0x12, 0x34}));
    // A digit run ends at the first other character, which is then skipped.
    EXPECT_EQ(Values("12g34"), (Bytes{0x12, 0x34}));
    // A sign without a digit after it starts no number.
    EXPECT_EQ(Values("- 5,+,-x6"), (Bytes{0x05, 0x06}));
    EXPECT_EQ(Values(std::string("1\0" "2", 3)), (Bytes{0x01, 0x02}));
    EXPECT_EQ(Values("\xff\x80" "ab"), (Bytes{0xAB}));
}

TEST(ReadDataFile, StopsAtTheCapacity) {
    EXPECT_EQ(Values("1,2,3,4,5", 3), (Bytes{1, 2, 3}));
    EXPECT_EQ(Values("1,2,3", 0), Bytes{});
    std::string many;
    for (int i = 0; i < 70000; ++i) {
        many += "ab,";
    }
    const Bytes values = Values(many, 65536);
    EXPECT_EQ(values.size(), 65536u);
    EXPECT_EQ(values.back(), 0xAB);
}

}  // namespace
}  // namespace kelvane::cli
