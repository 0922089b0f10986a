// The manual page KelvaneCLI(1) made from the help pages: roff escaping and
// every help page carried over whole, in order.
#include "help/man_page.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "help/help_pages.h"

namespace kelvane::cli {
namespace {

TEST(ManPage, LinesPrintAsTheyStand) {
    EXPECT_EQ(RoffLine(L"Ex: -i2cw -help"), "Ex: \\-i2cw \\-help");
    EXPECT_EQ(RoffLine(L"C:\\data\\x.txt"), "C:\\edata\\ex.txt");
    // A line that would be read as a request or a macro call.
    EXPECT_EQ(RoffLine(L".TH x"), "\\&.TH x");
    EXPECT_EQ(RoffLine(L"'br"), "\\&'br");
    EXPECT_EQ(RoffLine(L"a.b 'c'"), "a.b 'c'");
    // Tabs stay; other control characters and lone surrogates do not reach
    // the page; the rest of the world's characters become escapes.
    EXPECT_EQ(RoffLine(L"a\tb\x01" L"c\x7F"), "a\tb?c?");
    EXPECT_EQ(RoffLine(L"\u00e9\u20ac"), "\\[u00E9]\\[u20AC]");
    EXPECT_EQ(RoffLine(std::wstring(1, static_cast<wchar_t>(0xD800))), "?");
}

// The page's lines as the man page carries them.
std::string Carried(std::wstring_view page) {
    while (!page.empty() && page.front() == L'\n') {
        page.remove_prefix(1);
    }
    while (!page.empty() && page.back() == L'\n') {
        page.remove_suffix(1);
    }
    std::string out = ".nf\n";
    std::size_t start = 0;
    while (start <= page.size()) {
        const std::size_t end = std::min(page.find(L'\n', start), page.size());
        const std::wstring_view line = page.substr(start, end - start);
        out += line.empty() ? ".sp" : RoffLine(line);
        out += '\n';
        start = end + 1;
    }
    return out + ".fi\n";
}

TEST(ManPage, CarriesEveryHelpPageWhole) {
    const std::string man = ManPage();
    for (const wchar_t* page : {kGeneralPage, kConnectIPage, kConnectSPage, kDevicesPage, kGpioCPage, kGpioRPage,
                                kGpioWPage, kI2cRPage, kI2cWPage, kI2cWFPage, kPidPage, kSmbRPage, kSmbWPage,
                                kSmbWFPage, kVidPage, kExitCodePage, kVersionBanner}) {
        const std::string block = Carried(page);
        EXPECT_NE(man.find(block), std::string::npos) << block;
    }
    // The options in the order of the general page, the exit codes after
    // them.
    EXPECT_LT(man.find("\nsmbWF=<file path>"), man.find("vid = <value>"));
    EXPECT_LT(man.find("vid = <value>"), man.find(".SH EXIT STATUS"));
    EXPECT_LT(man.find(".SH EXIT STATUS"), man.find("CLI Return values"));
}

TEST(ManPage, IsAsciiManFormatWithTheProgramsVersion) {
    const std::string man = ManPage();
    for (const char c : man) {
        EXPECT_TRUE(c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F)) << static_cast<int>(c);
    }
    // The version of the banner's first line, "Version X.Y.Z".
    const std::wstring banner(kVersionBanner);
    const std::wstring version = banner.substr(8, banner.find(L'\n') - 8);
    ASSERT_EQ(banner.substr(0, 8), L"Version ");
    EXPECT_EQ(man.find(".TH KELVANECLI 1 \"\" \"Kelvane " + RoffLine(version) + "\" \"User Commands\"\n"),
              man.find(".TH "));
    EXPECT_NE(man.find(".SH NAME\nKelvaneCLI \\- "), std::string::npos);
    // Each no-fill block is closed again.
    std::size_t open = 0;
    for (std::size_t at = 0; (at = man.find("\n.nf\n", at)) != std::string::npos; ++at) {
        ++open;
    }
    std::size_t closed = 0;
    for (std::size_t at = 0; (at = man.find("\n.fi\n", at)) != std::string::npos; ++at) {
        ++closed;
    }
    EXPECT_EQ(open, 17u);
    EXPECT_EQ(closed, open);
}

}  // namespace
}  // namespace kelvane::cli
