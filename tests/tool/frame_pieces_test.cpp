// Pieces of the program frame: numbers as i2c-tools writes them, the choice
// of the library file, result texts, and progress shown only where it is
// asked for.
#include <gtest/gtest.h>

#include "common/failure.h"
#include "common/library.h"
#include "common/numbers.h"
#include "common/progress.h"

namespace kelvane::tool {
namespace {

TEST(FramePieces, NumbersAsI2cToolsWritesThem) {
    EXPECT_EQ(ParseNumber("0x50"), 0x50u);
    EXPECT_EQ(ParseNumber("0X5a"), 0x5Au);
    EXPECT_EQ(ParseNumber("080"), std::nullopt);  // octal has no 8
    EXPECT_EQ(ParseNumber("017"), 15u);
    EXPECT_EQ(ParseNumber("0"), 0u);
    EXPECT_EQ(ParseNumber("4294967295"), 4294967295u);
    for (const char* refused : {"", "0x", "-1", "+1", "1 ", "4294967296", "0x100000000", "12a"}) {
        EXPECT_EQ(ParseNumber(refused), std::nullopt) << refused;
    }
    EXPECT_EQ(SlaveAddress("0x77", false), 0x77);
    EXPECT_THROW(SlaveAddress("0x07", false), UsageError);
    EXPECT_EQ(SlaveAddress("0x07", true), 0x07);
    EXPECT_THROW(SlaveAddress("0x80", true), UsageError);
    try {
        NumberIn("300", 0, 0xFF, "VALUE");
        ADD_FAILURE();
    } catch (const UsageError& error) {
        EXPECT_STREQ(error.what(), "VALUE must be a number from 0x00 to 0xff (got '300')");
    }
}

TEST(FramePieces, TheLibraryFileComesFromTheOptionThenTheEnvironment) {
    EXPECT_EQ(ChooseLibrary(std::nullopt, std::nullopt).kind, LibraryChoice::Kind::kDefault);
    EXPECT_EQ(ChooseLibrary(std::nullopt, "").kind, LibraryChoice::Kind::kDefault);
    const LibraryChoice fromEnvironment = ChooseLibrary(std::nullopt, "/opt/k.dll");
    EXPECT_EQ(fromEnvironment.kind, LibraryChoice::Kind::kFile);
    EXPECT_EQ(fromEnvironment.path, "/opt/k.dll");
    EXPECT_EQ(fromEnvironment.origin, "KELVANE_LIBRARY");
    const LibraryChoice fromOption = ChooseLibrary("virtual", "/opt/k.dll");
    EXPECT_EQ(fromOption.kind, LibraryChoice::Kind::kVirtual);
    EXPECT_EQ(fromOption.origin, "--library");
    EXPECT_EQ(ChooseLibrary("./virtual", std::nullopt).kind, LibraryChoice::Kind::kFile);
    EXPECT_EQ(ChooseLibrary(std::nullopt, "virtual").kind, LibraryChoice::Kind::kVirtual);
}

TEST(FramePieces, ResultTextsAndFailures) {
    EXPECT_EQ(ResultText(-23), "Address NACK received");
    EXPECT_EQ(ResultText(-13), "the flash settings are permanently locked");
    EXPECT_EQ(ResultText(3), "the chip answered status 0x03");
    EXPECT_EQ(ResultText(-99), "unknown result");
    EXPECT_EQ(Failure("get: read at 0x50", -23).Message(), "get: read at 0x50: Address NACK received (-23)");
    EXPECT_EQ(Failure("no chip found").Message(), "no chip found");
}

TEST(FramePieces, ProgressOnlyWhereShown) {
    std::string shown;
    {
        Progress progress(true, [&](std::string_view text) { shown += text; });
        progress.Step("detect 0x10", 9, 112);
        progress.Step("x", 10, 112);
    }
    EXPECT_EQ(shown, "\rkelvane: detect 0x10 9/112\rkelvane: x 10/112" + std::string(9, ' ') + "\r" +
                         std::string(26, ' ') + "\r");
    std::string hidden;
    {
        Progress progress(false, [&](std::string_view text) { hidden += text; });
        progress.Step("detect", 1, 2);
    }
    EXPECT_EQ(hidden, "");
    EXPECT_FALSE(ProgressShown(true));
}

}  // namespace
}  // namespace kelvane::tool
