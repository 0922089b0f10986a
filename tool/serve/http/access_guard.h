// What a local server must check before it answers, as Jupyter does:
// - the token: every /api/ call carries it, as ?token=, as the cookie that
//   a call with ?token= sets (HttpOnly, SameSite=Strict), or as
//   "Authorization: Bearer TOKEN";
// - the Host header: it names the bound address or a loopback name, with
//   the server's port, so that a name of another site that resolves here
//   (DNS rebinding) is refused;
// - the Origin of a call that changes something: the server's own, so that
//   a web site in another tab cannot make one.
#pragma once

#include <string>

#include "serve/http/http_message.h"
#include "serve/http/request_target.h"

namespace kelvane::tool::serve {

struct AccessPolicy {
    std::string token;
    // As given to --bind: an IPv4 or IPv6 address, or a name.
    std::string bindAddress;
    int port = 0;
};

class AccessGuard {
public:
    explicit AccessGuard(AccessPolicy policy);

    // One Host header naming localhost, 127.x.x.x, [::1] or the bound
    // address (for a bind to every address, 0.0.0.0 or ::, any address
    // literal), with the server's port.
    bool HostAllowed(const HttpRequest& request) const;
    // One Origin header, the server's own: http:// and the request's Host.
    bool SameOrigin(const HttpRequest& request) const;
    // The token is there, in the query, a cookie or the Authorization
    // header (a stale cookie of an earlier server on the port beside the
    // right token in the query does not matter).
    bool Authorised(const HttpRequest& request, const RequestTarget& target) const;
    // The query carries the right token (a cookie is to be set).
    bool TokenInQuery(const RequestTarget& target) const;

    // The Set-Cookie value that keeps the token for this server.
    std::string TokenCookie() const;
    // kelvane-token-PORT: servers on other ports keep their own.
    std::string CookieName() const;

private:
    bool Matches(const std::string& given) const;

    AccessPolicy policy_;
};

// Whether an address given to --bind is a loopback address (127.x.x.x,
// ::1, localhost); a server bound elsewhere is reachable from the network.
bool IsLoopback(const std::string& address);

}  // namespace kelvane::tool::serve
