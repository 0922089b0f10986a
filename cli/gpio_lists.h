// The pin lists of the gpioC, gpioW and gpioR options.
#ifndef KELVANE_CLI_GPIO_LISTS_H
#define KELVANE_CLI_GPIO_LISTS_H

#include <string_view>

#include "cli_options.h"

namespace kelvane::cli {

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

#endif
