// Requests to `kelvane serve`, through its router (everything but the
// sockets): method, target, headers and body from the input, over the
// library and a bench of one virtual chip linked in, with the chip service
// thread of the server. The first byte picks the method, the second which
// of the right Host, token, Origin and Content-Type the harness adds; then
// the target, header lines "Name: value", a blank line and the body.
//
// Checked besides crashes, overruns and undefined behaviour: only the
// documented statuses; no 500 (an exception that the router did not
// expect); every refusal is a JSON document with an error message; no
// answer of 200 to a request without the token for /api/, without the
// Host, or to a POST without the server's Origin.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "bench/bench.h"
#include "bench/bench_description.h"
#include "bench/sim_platform.h"
#include "common/library.h"
#include "platform/platform.h"
#include "serve/api/chip_calls.h"
#include "serve/chip_service.h"
#include "serve/live/event_hub.h"
#include "serve/router.h"
#include "support/finding.h"

namespace kelvane::platform {

// One chip as the default bench describes it, kept across inputs (state
// is not written anywhere).
Platform& DefaultPlatform() {
    static sim::Bench bench;
    static sim::SimPlatform platform(bench);
    static const bool built = [] {
        sim::BuildBench(sim::DefaultBenchDescription(), bench);
        return true;
    }();
    (void)built;
    return platform;
}

}  // namespace kelvane::platform

namespace {

using namespace kelvane::tool;
using namespace kelvane::tool::serve;

constexpr int kPort = 8246;
const std::string kToken(64, '7');
const std::string kHost = "127.0.0.1:8246";

Library LinkedLibrary() {
    Library library;
#define KELVANE_FUZZ_BIND(name) library.name = &::name;
    KELVANE_TOOL_ENTRY_POINTS(KELVANE_FUZZ_BIND)
#undef KELVANE_FUZZ_BIND
    return library;
}

struct Server {
    Library library = LinkedLibrary();
    ChipService service{library, 4};
    EventHub hub;
    ChipCalls calls{service, CallDefaults{0x1209, 0x4B56, 100000}};
    Router router{AccessGuard({kToken, "127.0.0.1", kPort}), calls, hub};
};

Server& TheServer() {
    static Server* server = new Server();  // lives as long as the process
    return *server;
}

std::string_view NextLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    static const char* const kMethods[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "PATCH", "post"};
    HttpRequest request;
    request.method = kMethods[data[0] % 8];
    const std::uint8_t adds = data[1];
    std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    request.target = std::string(NextLine(text));
    for (std::string_view line = NextLine(text); !line.empty(); line = NextLine(text)) {
        const std::size_t colon = line.find(':');
        const std::string_view value = colon == std::string_view::npos ? "" : line.substr(colon + 1);
        request.headers.emplace(std::string(line.substr(0, colon)),
                                std::string(value.substr(value.empty() || value[0] != ' ' ? 0 : 1)));
    }
    request.body = std::string(text);
    if (adds & 1) {
        request.headers.emplace("Host", kHost);
    }
    if (adds & 2) {
        request.headers.emplace("Authorization", "Bearer " + kToken);
    }
    if (adds & 4) {
        request.headers.emplace("Origin", "http://" + kHost);
    }
    if (adds & 8) {
        request.headers.emplace("Content-Type", "application/json");
    }

    const HttpResponse response = TheServer().router.Handle(request);
    if (response.events) {
        response.events->Close();
    }
    static const std::set<int> kStatuses{200, 400, 401, 403, 404, 405, 409, 413, 415, 416, 502, 503, 504};
    if (kStatuses.count(response.status) == 0) {
        kelvane::fuzz::Finding("status %d for %s %s: %s", response.status, request.method.c_str(),
                               request.target.c_str(), response.body.substr(0, 200).c_str());
    }
    if (response.status >= 400 && response.status != 502 && response.status != 503) {
        const nlohmann::json body = nlohmann::json::parse(response.body, nullptr, false);
        if (!body.is_object() || !body.contains("error") || !body["error"].is_object() ||
            !body["error"].contains("message")) {
            kelvane::fuzz::Finding("a refusal %d without an error document: %s", response.status,
                                   response.body.substr(0, 200).c_str());
        }
    }
    if (response.status == 200) {
        const auto hosts = HeaderValues(request.headers, "Host");
        const bool api = request.target.rfind("/api/", 0) == 0;
        if (hosts.size() != 1) {
            kelvane::fuzz::Finding("200 without one Host header");
        }
        if (api && request.method == "POST" && HeaderValues(request.headers, "Origin").size() != 1) {
            kelvane::fuzz::Finding("200 to a POST without an Origin");
        }
        if (api && (adds & 2) == 0 && request.target.find("token=" + kToken) == std::string::npos &&
            HeaderValues(request.headers, "Cookie").empty() && HeaderValues(request.headers, "Authorization").empty()) {
            kelvane::fuzz::Finding("200 from the API without the token");
        }
    }
    return 0;
}
