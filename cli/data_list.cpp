#include "data_list.h"

#include "list_fields.h"
#include "scan_pattern.h"

namespace kelvane::cli {

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

}  // namespace kelvane::cli
