// Conversion between the user's locale encoding and the program's wide text.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "console_output.h"
#include "locale_arguments.h"

namespace kelvane::cli {
namespace {

// Makes a locale current for LC_CTYPE for one test and restores the old one.
class CtypeLocale {
public:
    explicit CtypeLocale(const char* name) {
        const char* previous = std::setlocale(LC_CTYPE, nullptr);
        previous_ = previous != nullptr ? previous : "C";
        active_ = std::setlocale(LC_CTYPE, name) != nullptr;
    }
    ~CtypeLocale() { std::setlocale(LC_CTYPE, previous_.c_str()); }
    bool Active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

TEST(ConsoleText, CharactersWithoutANarrowFormBecomeQuestionMarks) {
    const CtypeLocale c("C");
    ASSERT_TRUE(c.Active());
    EXPECT_EQ(NarrowForConsole(L"Error: Invalid command.\n\t"), "Error: Invalid command.\n\t");
    EXPECT_EQ(NarrowForConsole(L"SN: \u00e9t\u00e9 \u20ac!"), "SN: ?t? ?!");
}

TEST(ConsoleText, Utf8LocaleKeepsEveryCharacter) {
    const CtypeLocale utf8("C.UTF-8");
    if (!utf8.Active()) {
        GTEST_SKIP() << "no C.UTF-8 locale on this system";
    }
    EXPECT_EQ(NarrowForConsole(L"\u00e9\u20ac"), "\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(WidenArgument("-connectS=\xC3\xA9\xE2\x82\xAC"), L"-connectS=\u00e9\u20ac");
}

TEST(ConsoleText, UndecodableArgumentBytesBecomeReplacementCharacters) {
    const CtypeLocale utf8("C.UTF-8");
    if (!utf8.Active()) {
        GTEST_SKIP() << "no C.UTF-8 locale on this system";
    }
    EXPECT_EQ(WidenArgument("a\xFF" "b"), L"a\uFFFDb");
    EXPECT_EQ(WidenArgument("-f=x\xC3"), L"-f=x\uFFFD");
    EXPECT_EQ(WidenArgument("\xE2\x82" "A"), L"\uFFFD\uFFFDA");
    EXPECT_EQ(WidenArgument(""), L"");
}

TEST(ConsoleText, ArgumentsKeepTheirOrderIncludingTheProgramName) {
    const char* argv[] = {"KelvaneCLI", "-i2cr=5", ""};
    const std::vector<std::wstring> args = WidenArguments(3, argv);
    EXPECT_EQ(args, (std::vector<std::wstring>{L"KelvaneCLI", L"-i2cr=5", L""}));
}

}  // namespace
}  // namespace kelvane::cli
