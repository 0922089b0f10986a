#include "help/man_page.h"

#include <cstdint>
#include <cstdio>

#include "help/help_pages.h"

namespace kelvane::cli {
namespace {

// The option pages, in the order of the general page (the exit-code page
// has a section of its own).
const wchar_t* const kOptionPages[] = {
    kConnectIPage, kConnectSPage, kDevicesPage, kGpioCPage, kGpioRPage, kGpioWPage, kI2cRPage, kI2cWPage,
    kI2cWFPage,    kPidPage,      kSmbRPage,    kSmbWPage,  kSmbWFPage, kVidPage,
};

// The text as roff lines printed as they stand (no filling, no adjusting),
// without its empty first and last lines.
std::string Verbatim(std::wstring_view text) {
    while (!text.empty() && text.front() == L'\n') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == L'\n') {
        text.remove_suffix(1);
    }
    std::string out = ".nf\n";
    while (!text.empty()) {
        const std::size_t end = text.find(L'\n');
        const std::wstring_view line = text.substr(0, end);
        out += line.empty() ? std::string(".sp") : RoffLine(line);
        out += '\n';
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
    }
    out += ".fi\n";
    return out;
}

// A Unicode character (not a surrogate, not beyond U+10FFFF).
bool IsScalarValue(std::uint32_t code) {
    return code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

// "Version 1.0.2" from the banner's first line, or the whole line.
std::string VersionFromBanner() {
    std::wstring_view banner(kVersionBanner);
    banner = banner.substr(0, banner.find(L'\n'));
    constexpr std::wstring_view kWord = L"Version ";
    if (banner.substr(0, kWord.size()) == kWord) {
        banner.remove_prefix(kWord.size());
    }
    return RoffLine(banner);
}

}  // namespace

std::string RoffLine(std::wstring_view line) {
    std::string out;
    if (!line.empty() && (line.front() == L'.' || line.front() == L'\'')) {
        out += "\\&";
    }
    for (const wchar_t c : line) {
        if (c == L'\\') {
            out += "\\e";
        } else if (c == L'-') {
            out += "\\-";
        } else if (c == L'\t' || (c >= 0x20 && c < 0x7F)) {
            out += static_cast<char>(c);
        } else if (c > 0x7F && IsScalarValue(static_cast<std::uint32_t>(c))) {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\[u%04lX]", static_cast<unsigned long>(c));
            out += escape;
        } else {
            out += '?';
        }
    }
    return out;
}

std::string ManPage() {
    const std::string version = VersionFromBanner();
    std::string page;
    page += ".\\\" KelvaneCLI(1), made at build time from the program's help pages.\n";
    page += ".TH KELVANECLI 1 \"\" \"Kelvane " + version + "\" \"User Commands\"\n";
    page += ".SH NAME\n";
    page += "KelvaneCLI \\- I2C, SMBus and GPIO commands for the Kelvane USB bridge\n";
    page += ".SH SYNOPSIS\n";
    page += ".B KelvaneCLI\n";
    page += ".RI [ \\-option [= value ]]...\n";
    page += ".br\n";
    page += ".B KelvaneCLI\n";
    page += ".RI \\- option \" \\-help\"\n";
    page += ".SH DESCRIPTION\n";
    page += "Without options, the program shows this overview and its version:\n";
    page += ".PP\n";
    page += Verbatim(kGeneralPage);
    page += ".SH OPTIONS\n";
    page += "The help page of each option, as\n";
    page += ".BI \\- option \" \\-help\"\n";
    page += "shows it:\n";
    for (const wchar_t* optionPage : kOptionPages) {
        page += ".PP\n";
        page += Verbatim(optionPage);
    }
    page += ".SH EXIT STATUS\n";
    page += "As\n";
    page += ".B \\-err\n";
    page += "shows them. A parent process on Linux sees the low 8 bits of the\n";
    page += "code: \\-1 shows as 255, \\-400 as 112.\n";
    page += ".PP\n";
    page += Verbatim(kExitCodePage);
    page += ".SH FILES\n";
    page += ".TP\n";
    page += ".I KelvaneDLL\\-UM_x86.dll\n";
    page += "The device-access library, loaded when a command runs. It is taken from\n";
    page += "the folder of the program's own file (symbolic links to the program\n";
    page += "resolved); only when that folder has no file of this name, from the\n";
    page += "current working directory.\n";
    page += "An installed\n";
    page += ".B KelvaneCLI\n";
    page += "on the\n";
    page += ".B PATH\n";
    page += "is a link to the program in the library folder's\n";
    page += ".I kelvane/\n";
    page += "subfolder, beside a link to the installed library; the virtual-chip\n";
    page += "flavour of the library and its own copy of the program lie in\n";
    page += ".IR kelvane/virtual/ .\n";
    page += ".TP\n";
    page += ".I 70\\-kelvane.rules\n";
    page += "The udev rule that gives the user at the seat and the group plugdev\n";
    page += "access to the chips' hidraw nodes.\n";
    page += ".SH ENVIRONMENT\n";
    page += ".TP\n";
    page += ".B KELVANE_SIM_BENCH\n";
    page += "Read by the virtual-chip flavour of the library only: the bench file\n";
    page += "that describes its virtual chips. The chips' state is kept in\n";
    page += ".I kelvane\\-virtual\\-state.txt\n";
    page += "in the current working directory.\n";
    page += ".SH VERSION\n";
    page += Verbatim(kVersionBanner);
    return page;
}

}  // namespace kelvane::cli
