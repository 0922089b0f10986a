// The comma-separated lists that some options take: their fields, the data
// list of the i2cW and smbW options (hexadecimal bytes), and the pin lists
// of the gpioC, gpioW and gpioR options.
#pragma once

#include <string_view>
#include <vector>

#include "options/cli_options.h"

namespace kelvane::cli {

// ---- Fields -----------------------------------------------------------------
// Splitting of a list at its commas.

// The fields between commas, in order. Runs of commas and commas at either
// end produce no empty fields. The views point into list.
std::vector<std::wstring_view> SplitAtCommas(std::wstring_view list);

// ---- The data list ----------------------------------------------------------
// Hexadecimal bytes separated by commas.

// Reads every field as a hexadecimal number of at most two characters and
// stores its low 8 bits from dataBytes[0] on; fields without a number are
// skipped. Each number sets dataGiven and sets dataCount to the numbers this
// list has yielded so far, including those beyond the store's capacity,
// which are counted but not stored. A list without any number changes
// neither dataCount nor dataBytes.
void ApplyDataList(std::wstring_view list, CliOptions& options);

// ---- The pin lists ----------------------------------------------------------

// gpioC: the first four fields set GP0 to GP3. A field starting with "o"
// (out) sets 0, one starting with "i" (in) sets 1, any other field (such as
// "-") sets kPinUnchanged. Slots without a field keep their value.
void ApplyDirectionList(std::wstring_view list, CliOptions& options);

// gpioW: as the direction list, with "h" (high) 1 and "l" (low) 0.
void ApplyValueList(std::wstring_view list, CliOptions& options);

// gpioR: every field naming a pin, as "gp<digit>" (letters g and p in any
// number and case) or as a bare digit, marks pins 0 to 3 for reading; other
// digits and fields are ignored.
void ApplyPinList(std::wstring_view list, CliOptions& options);

}  // namespace kelvane::cli
