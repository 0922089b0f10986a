#include "options/command_line.h"

#include <algorithm>
#include <variant>

#include "options/fold_case.h"
#include "options/option_lists.h"
#include "options/scan_pattern.h"

namespace kelvane::cli {
namespace {

using ApplyValue = void (*)(const ScanValue& value, CliOptions& options);
using ApplyName = void (*)(CliOptions& options);

// A pattern rule matches when the pattern's conversion stores a value; what
// follows in the argument is ignored.
struct PatternRule {
    std::wstring_view pattern;
    std::size_t textCapacity;
    ApplyValue apply;
};

enum class NameSpan { Prefix, WholeArgument };

// A name rule matches a switch ("-" or "/") followed by the name, without
// regard to case: over the name's length (the argument may go on with
// anything) or over the whole argument.
struct NameRule {
    std::wstring_view name;
    NameSpan span;
    ApplyName apply;
};

using Rule = std::variant<PatternRule, NameRule>;

std::int32_t Number(const ScanValue& value) {
    return std::get<std::int32_t>(value);
}

const std::wstring& Text(const ScanValue& value) {
    return std::get<std::wstring>(value);
}

// The scanner has already refused texts that do not fit with the terminator.
template <std::size_t N>
void CopyText(const std::wstring& text, std::array<wchar_t, N>& destination) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), length, destination.begin());
    destination[length] = L'\0';
}

// "off" over three characters (so any value starting with it) turns packet
// error checking off, exactly "on" turns it on, anything else leaves it.
void ApplyPecValue(const std::wstring& value, CliOptions& o) {
    if (SameIgnoringCase(value, L"off", 3)) {
        o.pecEnabled = 0;
    } else if (SameIgnoringCase(value, L"on", 3)) {
        o.pecEnabled = 1;
    }
}

void SetHelpRequested(CliOptions& o) {
    o.helpRequested = true;
}

const Rule kRules[] = {
    /* 1 */ PatternRule{L"%*[/-]%*[vidVID]=%4x", kUnlimitedText,
                        [](const ScanValue& v, CliOptions& o) { o.vid = Number(v); }},
    /* 2 */ PatternRule{L"%*[/-]%*[pidPID]=%4x", kUnlimitedText,
                        [](const ScanValue& v, CliOptions& o) { o.pid = Number(v); }},
    /* 3 */ PatternRule{L"%*[/-]%*[connectsCONNECTS]=%20[^\"]", kSerialNumberCapacity,
                        [](const ScanValue& v, CliOptions& o) {
                            CopyText(Text(v), o.serialNumber);
                            o.command.connectS = true;
                        }},
    /* 4 */ PatternRule{L"%*[/-]%*[connectiCONNECTI]=%d", kUnlimitedText,
                        [](const ScanValue& v, CliOptions& o) {
                            o.connectIndex = Number(v);
                            o.command.connectI = true;
                        }},
    /* 5 */ NameRule{L"devices", NameSpan::Prefix,
                     [](CliOptions& o) {
                         o.command.devices = true;
                         o.helpTopic.devices = true;
                     }},
    /* 6 */ PatternRule{L"%*[/-]%*[i2crI2CR]=%5d", kUnlimitedText,
                        [](const ScanValue& v, CliOptions& o) {
                            o.readCount = Number(v);
                            o.command.i2cR = true;
                        }},
    /* 7 */ PatternRule{L"%*[/-]%*[smbrSMBR]=%5d", kUnlimitedText,
                        [](const ScanValue& v, CliOptions& o) {
                            o.readCount = Number(v);
                            o.command.smbR = true;
                        }},
    /* 8 */ PatternRule{L"%*[/-]%*[speedSPEED]=%6d", kUnlimitedText,
                        [](const ScanValue& v, CliOptions& o) { o.speed = Number(v); }},
    /* 9 */ PatternRule{L"%*[/-]%*[registerREGISTER]=%2x", kUnlimitedText,
                        [](const ScanValue& v, CliOptions& o) {
                            o.registerIndex = static_cast<std::uint8_t>(Number(v) & 0xFF);
                            o.registerGiven = true;
                        }},
    /* 10 */ PatternRule{L"%*[/-]%*[slaveSLAVE]%*[8]=%2x", kUnlimitedText,
                         [](const ScanValue& v, CliOptions& o) {
                             o.slaveAddress = Number(v);
                             o.slaveGiven = true;
                         }},
    /* 11 */ PatternRule{L"%*[/-]%*6[slaveSLAVE]%*[7]=%2x", kUnlimitedText,
                         [](const ScanValue& v, CliOptions& o) {
                             // A 7-bit address is kept in 8-bit form.
                             const std::uint32_t shifted = static_cast<std::uint32_t>(Number(v)) << 1;
                             o.slaveAddress = static_cast<std::int32_t>(shifted & 0xFF);
                             o.slaveGiven = true;
                         }},
    /* 12 */ PatternRule{L"%*[/-]%*[fF]=%255[^\"]", kFilePathCapacity,
                         [](const ScanValue& v, CliOptions& o) { CopyText(Text(v), o.filePath); }},
    /* 13 */ PatternRule{L"%*[/-]%*[pecPEC]=%3ls", kPecTextCapacity,
                         [](const ScanValue& v, CliOptions& o) { ApplyPecValue(Text(v), o); }},
    /* 14 */ PatternRule{L"%*[/-]%*[i2cwI2CW]%*[fF]=%255[^\"]", kFilePathCapacity,
                         [](const ScanValue& v, CliOptions& o) {
                             CopyText(Text(v), o.i2cWriteFilePath);
                             o.command.i2cWF = true;
                         }},
    /* 15 */ PatternRule{L"%*[/-]%*[smbwSMBW]%*[fF]=%255[^\"]", kFilePathCapacity,
                         [](const ScanValue& v, CliOptions& o) {
                             CopyText(Text(v), o.smbWriteFilePath);
                             o.command.smbWF = true;
                         }},
    /* 16 */ PatternRule{L"%*[/-]%*[i2cwI2CW]=%197000ls", kDataListCapacity,
                         [](const ScanValue& v, CliOptions& o) {
                             ApplyDataList(Text(v), o);
                             o.command.i2cW = true;
                         }},
    /* 17 */ PatternRule{L"%*[/-]%*[smbwSMBW]=%197000ls", kDataListCapacity,
                         [](const ScanValue& v, CliOptions& o) {
                             ApplyDataList(Text(v), o);
                             o.command.smbW = true;
                         }},
    /* 18 */ PatternRule{L"%*[/-]%*[gpiocGPIOC]=%29ls", kGpioListCapacity,
                         [](const ScanValue& v, CliOptions& o) {
                             ApplyDirectionList(Text(v), o);
                             o.command.gpioC = true;
                         }},
    /* 19 */ PatternRule{L"%*[/-]%*[gpiowGPIOW]=%29ls", kGpioListCapacity,
                         [](const ScanValue& v, CliOptions& o) {
                             ApplyValueList(Text(v), o);
                             o.command.gpioW = true;
                         }},
    /* 20 */ PatternRule{L"%*[/-]%*[gpiorGPIOR]=%29ls", kGpioListCapacity,
                         [](const ScanValue& v, CliOptions& o) {
                             ApplyPinList(Text(v), o);
                             o.command.gpioR = true;
                         }},
    /* 21 */ NameRule{L"help", NameSpan::Prefix, SetHelpRequested},
    /*    */ NameRule{L"?", NameSpan::Prefix, SetHelpRequested},
    /*    */ NameRule{L"h", NameSpan::Prefix, SetHelpRequested},
    /* 22 */ NameRule{L"connectI", NameSpan::Prefix, [](CliOptions& o) { o.helpTopic.connectI = true; }},
    /* 23 */ NameRule{L"connectS", NameSpan::Prefix, [](CliOptions& o) { o.helpTopic.connectS = true; }},
    /* 24 */ NameRule{L"gpioc", NameSpan::Prefix, [](CliOptions& o) { o.helpTopic.gpioC = true; }},
    /* 25 */ NameRule{L"gpior", NameSpan::Prefix, [](CliOptions& o) { o.helpTopic.gpioR = true; }},
    /* 26 */ NameRule{L"gpiow", NameSpan::Prefix, [](CliOptions& o) { o.helpTopic.gpioW = true; }},
    /* 27 */ NameRule{L"i2cr", NameSpan::Prefix, [](CliOptions& o) { o.helpTopic.i2cR = true; }},
    /* 28 */ NameRule{L"i2cwf", NameSpan::Prefix, [](CliOptions& o) { o.helpTopic.i2cWF = true; }},
    /* 29 */ NameRule{L"i2cw", NameSpan::Prefix, [](CliOptions& o) { o.helpTopic.i2cW = true; }},
    /* 30 */ NameRule{L"smbr", NameSpan::Prefix, [](CliOptions& o) { o.helpTopic.smbR = true; }},
    /* 31 */ NameRule{L"smbwf", NameSpan::Prefix, [](CliOptions& o) { o.helpTopic.smbWF = true; }},
    /* 32 */ NameRule{L"smbw", NameSpan::Prefix, [](CliOptions& o) { o.helpTopic.smbW = true; }},
    /* 33 */ NameRule{L"vid", NameSpan::WholeArgument, [](CliOptions& o) { o.helpTopic.vid = true; }},
    /* 34 */ NameRule{L"pid", NameSpan::WholeArgument, [](CliOptions& o) { o.helpTopic.pid = true; }},
    /* 35 */ NameRule{L"err", NameSpan::WholeArgument,
                      [](CliOptions& o) {
                          o.helpTopic.err = true;
                          o.helpRequested = true;
                      }},
};

bool IsSwitch(wchar_t c) {
    return c == L'-' || c == L'/';
}

bool TryRule(const PatternRule& rule, std::wstring_view argument, CliOptions& options) {
    const ScanResult scan = ScanPattern(argument, rule.pattern, rule.textCapacity);
    if (!scan.complete) {
        return false;
    }
    rule.apply(scan.values.back(), options);
    return true;
}

bool TryRule(const NameRule& rule, std::wstring_view argument, CliOptions& options) {
    if (argument.empty() || !IsSwitch(argument.front())) {
        return false;
    }
    const std::wstring_view rest = argument.substr(1);
    const std::size_t span = rule.span == NameSpan::Prefix ? rule.name.size() : std::wstring_view::npos;
    if (!SameIgnoringCase(rest, rule.name, span)) {
        return false;
    }
    rule.apply(options);
    return true;
}

}  // namespace

bool ApplyOptionRules(std::wstring_view argument, CliOptions& options) {
    for (const Rule& rule : kRules) {
        const bool matched = std::visit([&](const auto& r) { return TryRule(r, argument, options); }, rule);
        if (matched) {
            return true;
        }
    }
    return false;
}

ParseResult ParseCommandLine(std::span<const std::wstring> arguments, CliOptions& options) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i].empty()) {
            continue;
        }
        if (!ApplyOptionRules(arguments[i], options)) {
            return ParseResult::InvalidArgument;
        }
    }
    return ParseResult::Ok;
}

}  // namespace kelvane::cli
