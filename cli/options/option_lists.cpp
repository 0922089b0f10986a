#include "options/option_lists.h"

#include <array>

#include "options/fold_case.h"
#include "options/scan_pattern.h"

namespace kelvane::cli {

// ---- Fields -----------------------------------------------------------------

std::vector<std::wstring_view> SplitAtCommas(std::wstring_view list) {
    std::vector<std::wstring_view> fields;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(L',', start);
        if (end == std::wstring_view::npos) {
            end = list.size();
        }
        if (end > start) {
            fields.push_back(list.substr(start, end - start));
        }
        start = end + 1;
    }
    return fields;
}

// ---- The data list ----------------------------------------------------------

void ApplyDataList(std::wstring_view list, CliOptions& options) {
    std::size_t count = 0;
    for (std::wstring_view field : SplitAtCommas(list)) {
        const ScanResult scan = ScanPattern(field, L"%2x");
        if (!scan.complete) {
            continue;
        }
        if (count < options.dataBytes.size()) {
            options.dataBytes[count] = static_cast<std::uint8_t>(std::get<std::int32_t>(scan.values[0]) & 0xFF);
        }
        ++count;
        options.dataGiven = true;
        options.dataCount = static_cast<std::int32_t>(count);
    }
}

// ---- The pin lists ----------------------------------------------------------

namespace {

// Sets each of the four slots from the first letter of its field: the word
// starting with zeroLetter gives 0, the one starting with oneLetter gives 1.
void ApplyFirstLetterList(std::wstring_view list, wchar_t zeroLetter, wchar_t oneLetter,
                          std::array<std::uint8_t, kPinCount>& slots) {
    const std::vector<std::wstring_view> fields = SplitAtCommas(list);
    for (std::size_t pin = 0; pin < kPinCount && pin < fields.size(); ++pin) {
        const wchar_t first = FoldCase(fields[pin].front());
        if (first == zeroLetter) {
            slots[pin] = 0;
        } else if (first == oneLetter) {
            slots[pin] = 1;
        } else {
            slots[pin] = kPinUnchanged;
        }
    }
}

}  // namespace

void ApplyDirectionList(std::wstring_view list, CliOptions& options) {
    ApplyFirstLetterList(list, L'o', L'i', options.gpioDirection);
}

void ApplyValueList(std::wstring_view list, CliOptions& options) {
    ApplyFirstLetterList(list, L'l', L'h', options.gpioValue);
}

void ApplyPinList(std::wstring_view list, CliOptions& options) {
    for (std::wstring_view field : SplitAtCommas(list)) {
        ScanResult scan = ScanPattern(field, L"%*[gpGP]%1d");
        if (!scan.complete) {
            scan = ScanPattern(field, L"%1d");
        }
        if (!scan.complete) {
            continue;
        }
        const std::int32_t pin = std::get<std::int32_t>(scan.values[0]);
        if (pin >= 0 && pin < static_cast<std::int32_t>(kPinCount)) {
            options.gpioReadPin[static_cast<std::size_t>(pin)] = 1;
        }
    }
}

}  // namespace kelvane::cli
