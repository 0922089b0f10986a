// Every request's way through the server, apart from the sockets: the
// checks of a local server (http/access_guard.h), the page's embedded
// files, and the API under /api/:
//   GET  /api/chips                         kelvane --json list
//   POST /api/chips/{chip}/{action}         a subcommand on the chip
//   POST /api/config/apply                  config apply --all
//   GET  /api/events?chip={chip}            Server-Sent Events
// (docs/kelvane-serve.md has the bodies and answers). Nothing a request
// holds ends the server or reaches a file outside the embedded ones.
#pragma once

#include <cstddef>

#include "serve/api/chip_calls.h"
#include "serve/http/access_guard.h"
#include "serve/http/http_message.h"
#include "serve/live/event_hub.h"

namespace kelvane::tool::serve {

class Router {
public:
    Router(AccessGuard guard, ChipCalls& calls, EventHub& hub)
        : guard_(std::move(guard)), calls_(calls), hub_(hub) {}

    HttpResponse Handle(const HttpRequest& request);
    // The checks once the port is known (before any request comes).
    void SetAccess(AccessGuard guard) { guard_ = std::move(guard); }

    // The largest body taken (413 beyond).
    static constexpr std::size_t kLargestBody = 1024 * 1024;

private:
    // The API's answer with the headers every API answer carries.
    HttpResponse Api(const HttpRequest& request, const RequestTarget& target);
    // The call itself; BadRequest for a body that does not fit.
    HttpResponse ApiCall(const HttpRequest& request, const RequestTarget& target);
    HttpResponse Page(const HttpRequest& request, const RequestTarget& target);
    HttpResponse Events(const RequestTarget& target);

    AccessGuard guard_;
    ChipCalls& calls_;
    EventHub& hub_;
};

// An answer {"error": {"message": message}} with the status.
HttpResponse ErrorResponse(int status, const std::string& message);

}  // namespace kelvane::tool::serve
