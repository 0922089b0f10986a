// The data list of the i2cW and smbW options: hexadecimal bytes separated by
// commas.
#ifndef KELVANE_CLI_DATA_LIST_H
#define KELVANE_CLI_DATA_LIST_H

#include <string_view>

#include "cli_options.h"

namespace kelvane::cli {

// Reads every field as a hexadecimal number of at most two characters and
// stores its low 8 bits from dataBytes[0] on; fields without a number are
// skipped. Each number sets dataGiven and sets dataCount to the numbers this
// list has yielded so far, including those beyond the store's capacity,
// which are counted but not stored. A list without any number changes
// neither dataCount nor dataBytes.
void ApplyDataList(std::wstring_view list, CliOptions& options);

}  // namespace kelvane::cli

#endif
