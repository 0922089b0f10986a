#include "serve/http/request_target.h"

namespace kelvane::tool::serve {
namespace {

constexpr std::size_t kMostSegments = 32;
constexpr std::size_t kMostParameters = 32;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::optional<std::string> PercentDecode(std::string_view text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) {
                return std::nullopt;
            }
            const int high = HexDigit(text[i + 1]);
            const int low = HexDigit(text[i + 2]);
            if (high < 0 || low < 0) {
                return std::nullopt;
            }
            c = static_cast<char>(high * 16 + low);
            i += 2;
        } else if (c == '+' && plusIsSpace) {
            c = ' ';
        }
        if (c == '\0') {
            return std::nullopt;
        }
        out += c;
    }
    return out;
}

std::optional<RequestTarget> ParseTarget(std::string_view target) {
    if (target.empty() || target[0] != '/') {
        return std::nullopt;
    }
    const std::size_t mark = target.find('?');
    const std::string_view path = target.substr(0, mark);
    RequestTarget parsed;
    if (path.size() > 1) {
        std::size_t at = 1;
        for (;;) {
            const std::size_t slash = path.find('/', at);
            const std::optional<std::string> segment =
                PercentDecode(path.substr(at, slash == std::string_view::npos ? std::string_view::npos : slash - at),
                              false);
            if (!segment || parsed.segments.size() >= kMostSegments) {
                return std::nullopt;
            }
            parsed.segments.push_back(*segment);
            if (slash == std::string_view::npos) {
                break;
            }
            at = slash + 1;
        }
    }
    if (mark == std::string_view::npos) {
        return parsed;
    }
    std::string_view query = target.substr(mark + 1);
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (pair.empty()) {
            continue;
        }
        const std::size_t equals = pair.find('=');
        const std::optional<std::string> name = PercentDecode(pair.substr(0, equals), true);
        const std::optional<std::string> value =
            PercentDecode(equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1), true);
        if (!name || !value || parsed.query.size() >= kMostParameters) {
            return std::nullopt;
        }
        parsed.query.emplace(*name, *value);
    }
    return parsed;
}

std::optional<std::string> QueryValue(const RequestTarget& target, const std::string& name) {
    const auto found = target.query.find(name);
    if (found == target.query.end()) {
        return std::nullopt;
    }
    return found->second;
}

}  // namespace kelvane::tool::serve
