#include "serve/http/request_target.h"

#include <charconv>
#include <system_error>

namespace kelvane::tool::serve {
namespace {

constexpr std::size_t kMostSegments = 32;
constexpr std::size_t kMostParameters = 32;

// The byte of a %XX escape: two hexadecimal digits, no sign.
std::optional<char> EscapedByte(std::string_view digits) {
    unsigned value = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (error != std::errc() || stop != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return static_cast<char>(value);
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
            const std::optional<char> byte = EscapedByte(text.substr(i + 1, 2));
            if (!byte) {
                return std::nullopt;
            }
            c = *byte;
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
