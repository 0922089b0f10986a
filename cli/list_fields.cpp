#include "list_fields.h"

namespace kelvane::cli {

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

}  // namespace kelvane::cli
