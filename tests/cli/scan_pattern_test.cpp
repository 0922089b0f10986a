#include "options/scan_pattern.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvane::cli {
namespace {

// The number stored by a complete scan, or a sentinel that no test expects.
std::int32_t ScanNumber(std::wstring_view text, std::wstring_view pattern) {
    const ScanResult r = ScanPattern(text, pattern);
    if (!r.complete || r.values.size() != 1 || !std::holds_alternative<std::int32_t>(r.values[0])) {
        return -999999;
    }
    return std::get<std::int32_t>(r.values[0]);
}

bool Matches(std::wstring_view text, std::wstring_view pattern, std::size_t capacity = kUnlimitedText) {
    return ScanPattern(text, pattern, capacity).complete;
}

std::wstring ScanText(std::wstring_view text, std::wstring_view pattern, std::size_t capacity = kUnlimitedText) {
    const ScanResult r = ScanPattern(text, pattern, capacity);
    if (!r.complete || r.values.size() != 1 || !std::holds_alternative<std::wstring>(r.values[0])) {
        return L"<no match>";
    }
    return std::get<std::wstring>(r.values[0]);
}

TEST(ScanPatternSets, LettersMatchInAnyOrderCaseAndRepetition) {
    for (const wchar_t* text : {L"-vid=12", L"-VID=12", L"/dIv=12", L"--vvvIIdd=12", L"-/-i=12"}) {
        EXPECT_EQ(ScanNumber(text, L"%*[/-]%*[vidVID]=%4x"), 0x12) << text;
    }
}

TEST(ScanPatternSets, NeedAtLeastOneCharacterAndStopAtTheFirstOutside) {
    EXPECT_FALSE(Matches(L"-=12", L"%*[/-]%*[vidVID]=%4x"));
    EXPECT_FALSE(Matches(L"vid=12", L"%*[/-]%*[vidVID]=%4x"));
    EXPECT_FALSE(Matches(L"-vidx=12", L"%*[/-]%*[vidVID]=%4x"));
    // A width limits a skipped run as well.
    EXPECT_TRUE(Matches(L"-slavee7=1", L"%*[/-]%*6[slaveSLAVE]%*[7]=%2x"));
    EXPECT_FALSE(Matches(L"-slaveee7=1", L"%*[/-]%*6[slaveSLAVE]%*[7]=%2x"));
}

TEST(ScanPatternNumbers, WidthLimitsTheDigitsAndTheRestIsIgnored) {
    EXPECT_EQ(ScanNumber(L"12345", L"%4x"), 0x1234);
    EXPECT_EQ(ScanNumber(L"42", L"%1d"), 4);
    EXPECT_EQ(ScanNumber(L"12abc", L"%d"), 12);
    EXPECT_EQ(ScanNumber(L"aZ", L"%2x"), 0xA);
}

TEST(ScanPatternNumbers, SignAndHexPrefixCountTowardsTheWidthButLeadingSpaceDoesNot) {
    EXPECT_EQ(ScanNumber(L"  \t12", L"%2x"), 0x12);
    EXPECT_EQ(ScanNumber(L"-5", L"%d"), -5);
    EXPECT_EQ(ScanNumber(L"+7", L"%d"), 7);
    EXPECT_EQ(ScanNumber(L"-12", L"%2x"), -1);
    EXPECT_EQ(ScanNumber(L"0x1F", L"%4x"), 0x1F);
    EXPECT_EQ(ScanNumber(L"0X1f", L"%4x"), 0x1F);
    EXPECT_EQ(ScanNumber(L"0x123", L"%4x"), 0x12);
    // The prefix fills the width: only its own zero is read.
    EXPECT_EQ(ScanNumber(L"0x5", L"%2x"), 0);
    EXPECT_EQ(ScanNumber(L"-FFFF", L"%x"), -0xFFFF);
}

TEST(ScanPatternNumbers, ASignOrSpaceAloneIsNoNumber) {
    EXPECT_FALSE(Matches(L"-", L"%d"));
    EXPECT_FALSE(Matches(L"+x", L"%4x"));
    EXPECT_FALSE(Matches(L"   ", L"%d"));
    EXPECT_FALSE(Matches(L"", L"%d"));
    EXPECT_FALSE(Matches(L"-1", L"%1d"));
    EXPECT_FALSE(Matches(L"g", L"%2x"));
}

TEST(ScanPatternNumbers, UnlimitedDecimalFailsInsteadOfOverflowing) {
    EXPECT_EQ(ScanNumber(L"2147483647", L"%d"), 2147483647);
    EXPECT_EQ(ScanNumber(L"-2147483648", L"%d"), INT32_MIN);
    EXPECT_FALSE(Matches(L"2147483648", L"%d"));
    EXPECT_FALSE(Matches(L"-2147483649", L"%d"));
    EXPECT_FALSE(Matches(L"99999999999999999999999999", L"%d"));
    EXPECT_EQ(ScanNumber(L"FFFFFFFF", L"%x"), -1);
    EXPECT_FALSE(Matches(L"100000000", L"%x"));
}

TEST(ScanPatternText, StopsAtWidthQuoteOrWhiteSpace) {
    EXPECT_EQ(ScanText(L"ab\"cd", L"%20[^\"]", 20), L"ab");
    EXPECT_EQ(ScanText(L"a b", L"%20[^\"]", 20), L"a b");
    EXPECT_EQ(ScanText(L"ab cd", L"%29ls", 29), L"ab");
    EXPECT_EQ(ScanText(L"  ab", L"%29ls", 29), L"ab");
    EXPECT_EQ(ScanText(L"offline", L"%3ls", 4), L"off");
    EXPECT_FALSE(Matches(L"\"ab", L"%20[^\"]", 20));
    EXPECT_FALSE(Matches(L"", L"%3ls", 4));
}

TEST(ScanPatternText, MustFitItsCapacityWithTheTerminator) {
    EXPECT_EQ(ScanText(std::wstring(19, L'x'), L"%20[^\"]", 20), std::wstring(19, L'x'));
    EXPECT_FALSE(Matches(std::wstring(20, L'x'), L"%20[^\"]", 20));
    EXPECT_FALSE(Matches(std::wstring(30, L'x'), L"%20[^\"]", 20));
    EXPECT_TRUE(Matches(std::wstring(28, L'x'), L"%29ls", 29));
    EXPECT_FALSE(Matches(std::wstring(29, L'x'), L"%29ls", 29));
}

TEST(ScanPattern, OnlyACompleteScanCounts) {
    const ScanResult literalMissing = ScanPattern(L"-vid12", L"%*[/-]%*[vidVID]=%4x");
    EXPECT_FALSE(literalMissing.complete);
    EXPECT_TRUE(literalMissing.values.empty());
    // Values stored before a later conversion fails are still reported.
    const ScanResult partial = ScanPattern(L"12,x", L"%d,%d");
    EXPECT_FALSE(partial.complete);
    ASSERT_EQ(partial.values.size(), 1u);
    EXPECT_EQ(std::get<std::int32_t>(partial.values[0]), 12);
}

TEST(ScanPattern, MalformedPatternsNeverMatch) {
    EXPECT_FALSE(Matches(L"12", L"%q"));
    EXPECT_FALSE(Matches(L"ab", L"%[ab"));
    EXPECT_FALSE(Matches(L"ab", L"%[]"));
    EXPECT_FALSE(Matches(L"12", L"%0d"));
    EXPECT_FALSE(Matches(L"12", L"%"));
}

}  // namespace
}  // namespace kelvane::cli
