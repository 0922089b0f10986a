#include "serve/http/access_guard.h"

#include <optional>

namespace kelvane::tool::serve {
namespace {

std::string Lowered(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool IsIpv4(const std::string& text) {
    int parts = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t dot = text.find('.', at);
        const std::string part = text.substr(at, dot == std::string::npos ? std::string::npos : dot - at);
        if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(part) > 255) {
            return false;
        }
        ++parts;
        if (dot == std::string::npos) {
            break;
        }
        at = dot + 1;
    }
    return parts == 4;
}

bool IsIpv6(const std::string& text) {
    return !text.empty() && text.find(':') != std::string::npos &&
           text.find_first_not_of("0123456789abcdef:.") == std::string::npos;
}

// "host:port", "[v6]:port", "host": the host (lower case, v6 in brackets)
// and the port when given; nullopt for anything else.
struct HostPort {
    std::string host;
    std::optional<int> port;
};

std::optional<HostPort> SplitHost(const std::string& value) {
    HostPort split;
    std::string rest;
    if (!value.empty() && value[0] == '[') {
        const std::size_t close = value.find(']');
        if (close == std::string::npos) {
            return std::nullopt;
        }
        split.host = Lowered(value.substr(0, close + 1));
        rest = value.substr(close + 1);
    } else {
        const std::size_t colon = value.find(':');
        split.host = Lowered(value.substr(0, colon));
        rest = colon == std::string::npos ? "" : value.substr(colon);
    }
    if (!rest.empty()) {
        const std::string digits = rest.substr(1);
        if (rest[0] != ':' || digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            return std::nullopt;
        }
        split.port = std::stoi(digits);
    }
    if (split.host.empty()) {
        return std::nullopt;
    }
    return split;
}

// The address as it stands in a Host header: IPv6 in brackets.
std::string AsHost(const std::string& address) {
    const std::string lowered = Lowered(address);
    return IsIpv6(lowered) ? "[" + lowered + "]" : lowered;
}

// The bearer token of an Authorization header, or nullopt.
std::optional<std::string> Bearer(const std::string& value) {
    static const std::string kScheme = "bearer ";
    if (value.size() <= kScheme.size() || Lowered(value.substr(0, kScheme.size())) != kScheme) {
        return std::nullopt;
    }
    return value.substr(kScheme.size());
}

}  // namespace

bool IsLoopback(const std::string& address) {
    const std::string lowered = Lowered(address);
    return lowered == "localhost" || lowered == "::1" || lowered == "[::1]" ||
           (IsIpv4(lowered) && lowered.rfind("127.", 0) == 0);
}

AccessGuard::AccessGuard(AccessPolicy policy) : policy_(std::move(policy)) {}

bool AccessGuard::HostAllowed(const HttpRequest& request) const {
    const std::vector<std::string> values = HeaderValues(request.headers, "Host");
    if (values.size() != 1) {
        return false;
    }
    const std::optional<HostPort> split = SplitHost(values[0]);
    if (!split || split->port.value_or(80) != policy_.port) {
        return false;
    }
    const std::string& host = split->host;
    if (host == "localhost" || host == "[::1]" || (IsIpv4(host) && host.rfind("127.", 0) == 0)) {
        return true;
    }
    if (host == AsHost(policy_.bindAddress)) {
        return true;
    }
    // Bound to every address: any address literal (a name could be made to
    // resolve here; a literal cannot be another site).
    const std::string bound = Lowered(policy_.bindAddress);
    if (bound == "0.0.0.0" || bound == "::") {
        return IsIpv4(host) || (host.size() > 2 && host.front() == '[' && IsIpv6(host.substr(1, host.size() - 2)));
    }
    return false;
}

bool AccessGuard::SameOrigin(const HttpRequest& request) const {
    const std::vector<std::string> origins = HeaderValues(request.headers, "Origin");
    const std::vector<std::string> hosts = HeaderValues(request.headers, "Host");
    if (origins.size() != 1 || hosts.size() != 1) {
        return false;
    }
    return Lowered(origins[0]) == "http://" + Lowered(hosts[0]);
}

bool AccessGuard::Matches(const std::string& given) const {
    // The same time whatever the first difference.
    const std::string& token = policy_.token;
    unsigned difference = given.size() == token.size() ? 0u : 1u;
    for (std::size_t i = 0; i < token.size(); ++i) {
        const char other = i < given.size() ? given[i] : '\0';
        difference |= static_cast<unsigned char>(other ^ token[i]);
    }
    return difference == 0 && !token.empty();
}

bool AccessGuard::TokenInQuery(const RequestTarget& target) const {
    const std::optional<std::string> value = QueryValue(target, "token");
    return value && Matches(*value);
}

bool AccessGuard::Authorised(const HttpRequest& request, const RequestTarget& target) const {
    bool matched = false;
    const auto consider = [&](const std::string& given) { matched = matched || Matches(given); };
    if (const std::optional<std::string> value = QueryValue(target, "token")) {
        consider(*value);
    }
    for (const std::string& value : HeaderValues(request.headers, "Authorization")) {
        const std::optional<std::string> bearer = Bearer(value);
        if (bearer) {
            consider(*bearer);
        }
    }
    const std::string prefix = CookieName() + "=";
    for (const std::string& header : HeaderValues(request.headers, "Cookie")) {
        std::size_t at = 0;
        while (at < header.size()) {
            const std::size_t end = std::min(header.find(';', at), header.size());
            std::size_t start = at;
            while (start < end && header[start] == ' ') {
                ++start;
            }
            const std::string pair = header.substr(start, end - start);
            if (pair.rfind(prefix, 0) == 0) {
                consider(pair.substr(prefix.size()));
            }
            at = end + 1;
        }
    }
    return matched;
}

std::string AccessGuard::CookieName() const {
    return "kelvane-token-" + std::to_string(policy_.port);
}

std::string AccessGuard::TokenCookie() const {
    return CookieName() + "=" + policy_.token + "; Path=/; HttpOnly; SameSite=Strict";
}

}  // namespace kelvane::tool::serve
