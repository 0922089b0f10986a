// Conversion between the user's locale encoding and the program's wide text.
#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include <clocale>
#include <cstdlib>
#include <string>

#include "options/locale_arguments.h"
#include "output/console_output.h"

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
#ifdef _WIN32
    // The C runtime of Windows takes the characters up to U+00FF as the
    // bytes of the same value in its "C" locale.
    EXPECT_EQ(NarrowForConsole(L"SN: \u00e9t\u00e9 \u20ac!"), "SN: \xE9t\xE9 ?!");
#else
    EXPECT_EQ(NarrowForConsole(L"SN: \u00e9t\u00e9 \u20ac!"), "SN: ?t? ?!");
#endif
}

#ifdef _WIN32
// The characters in a console screen buffer from (0, row) on.
std::wstring ConsoleRow(HANDLE console, SHORT row, DWORD length) {
    std::wstring text(length, L'\0');
    DWORD read = 0;
    EXPECT_TRUE(ReadConsoleOutputCharacterW(console, text.data(), length, COORD{0, row}, &read));
    text.resize(read);
    return text;
}

TEST(ConsoleText, AConsoleGetsEveryCharacterAndALineEndPerLine) {
    // A screen buffer of the test's own console. Under wine a process has a
    // usable console only when it runs on a terminal; the build runs this
    // test a second time on one, with KELVANE_REQUIRE_CONSOLE set.
    HANDLE console = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, 0, nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
    if (console == INVALID_HANDLE_VALUE) {
        ASSERT_EQ(std::getenv("KELVANE_REQUIRE_CONSOLE"), nullptr) << "no console for this process";
        GTEST_SKIP() << "no console for this process";
    }

    // A serial number outside every ANSI code page, a character outside the
    // basic plane among them, then a second line.
    const std::wstring serial = L"KV\u00e9\u4e2d\u0416\U0001F600";
    ASSERT_TRUE(WriteConsoleText(console, L"\t0) SN = \"" + serial + L"\"\nnext"));
    // A tab advances to column 8.
    const std::wstring firstRow = L"        0) SN = \"" + serial + L"\"";
    EXPECT_EQ(ConsoleRow(console, 0, static_cast<DWORD>(firstRow.size())), firstRow);
    EXPECT_EQ(ConsoleRow(console, 1, 4), L"next");
    CloseHandle(console);

    HANDLE file = CreateFileW(L"NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteConsoleText(file, L"x")) << "NUL is no console";
    CloseHandle(file);
}
#endif

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
