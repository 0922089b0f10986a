// The target of a request ("/api/chips/KV%2F1/detect?token=..."): its path
// segments and query parameters, percent-decoded.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::tool::serve {

struct RequestTarget {
    // "/" gives none; "/a/b" gives "a", "b" (an empty segment stays empty).
    std::vector<std::string> segments;
    std::multimap<std::string, std::string> query;
};

// nullopt for a target that is not a path ("*", "http://..."), a broken
// percent escape, a decoded NUL byte, or more than 32 segments or 32
// parameters. '+' in the query is a space.
std::optional<RequestTarget> ParseTarget(std::string_view target);

// The decoded text, or nullopt for a broken escape or a NUL byte.
std::optional<std::string> PercentDecode(std::string_view text, bool plusIsSpace);

// The first value of a query parameter, or nullopt.
std::optional<std::string> QueryValue(const RequestTarget& target, const std::string& name);

}  // namespace kelvane::tool::serve
