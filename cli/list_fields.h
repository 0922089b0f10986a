// Splitting of the comma-separated lists that some options take.
#ifndef KELVANE_CLI_LIST_FIELDS_H
#define KELVANE_CLI_LIST_FIELDS_H

#include <string_view>
#include <vector>

namespace kelvane::cli {

// The fields between commas, in order. Runs of commas and commas at either
// end produce no empty fields. The views point into list.
std::vector<std::wstring_view> SplitAtCommas(std::wstring_view list);

}  // namespace kelvane::cli

#endif
