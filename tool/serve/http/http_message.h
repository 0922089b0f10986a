// An HTTP request as the server's router sees it, and the answer it gives:
// plain data, so that the router runs and is tested without a socket (the
// HTTP library stays in http/http_server.cpp).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvane::tool::serve {

class EventStream;

// Header names compare without regard to ASCII case.
struct HeaderNameLess {
    bool operator()(std::string_view a, std::string_view b) const;
    using is_transparent = void;
};
using HeaderMap = std::multimap<std::string, std::string, HeaderNameLess>;

struct HttpRequest {
    std::string method;  // "GET", "POST", ...
    std::string target;  // as sent: the path and the query, percent-encoded
    HeaderMap headers;
    std::string body;
};

struct HttpResponse {
    int status = 200;
    std::string contentType;
    std::string body;
    // Headers besides Content-Type and those every answer carries.
    std::vector<std::pair<std::string, std::string>> headers;
    // Set for an event stream: the body is what the stream yields until it
    // ends or the client goes away.
    std::shared_ptr<EventStream> events;
};

// The values of a header (none when absent).
std::vector<std::string> HeaderValues(const HeaderMap& headers, std::string_view name);

// The headers that every answer carries, whatever it is: the
// Content-Security-Policy (only the server's own scripts, styles and
// connections; no framing) and its companions.
const std::vector<std::pair<std::string, std::string>>& CommonHeaders();

}  // namespace kelvane::tool::serve
