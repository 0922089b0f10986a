#include "serve/http/http_message.h"

#include <algorithm>

namespace kelvane::tool::serve {
namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool HeaderNameLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

std::vector<std::string> HeaderValues(const HeaderMap& headers, std::string_view name) {
    std::vector<std::string> values;
    const auto [first, last] = headers.equal_range(std::string(name));
    for (auto it = first; it != last; ++it) {
        values.push_back(it->second);
    }
    return values;
}

const std::vector<std::pair<std::string, std::string>>& CommonHeaders() {
    static const std::vector<std::pair<std::string, std::string>> headers{
        {"Content-Security-Policy",
         "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; connect-src 'self'; "
         "form-action 'none'; base-uri 'none'; frame-ancestors 'none'"},
        {"X-Frame-Options", "DENY"},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
        {"Cross-Origin-Opener-Policy", "same-origin"},
        {"Cross-Origin-Resource-Policy", "same-origin"},
    };
    return headers;
}

}  // namespace kelvane::tool::serve
