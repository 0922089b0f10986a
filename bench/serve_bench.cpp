// What `kelvane serve` costs, over the virtual chip of BenchSetup (pauses
// skipped, so the time is the server's own and the library's): an API round
// trip over loopback HTTP (GET /api/chips, POST detect) with a kept-alive
// connection, the events a stream gets in two seconds, and the page's weight
// (every embedded file, as sent: gzip-compressed).
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include <httplib.h>

#include "bench_platform.h"
#include "common/library.h"
#include "serve/api/chip_calls.h"
#include "serve/chip_service.h"
#include "serve/embedded_files.h"
#include "serve/http/http_server.h"
#include "serve/live/event_hub.h"
#include "serve/live/sampler.h"
#include "serve/router.h"

namespace kelvane::bench {
namespace {

using namespace kelvane::tool::serve;

const std::string kToken(64, 'b');

tool::Library LinkedLibrary() {
    tool::Library library;
#define KELVANE_LINKED_ENTRY_POINT(name) library.name = &::name;
    KELVANE_TOOL_ENTRY_POINTS(KELVANE_LINKED_ENTRY_POINT)
#undef KELVANE_LINKED_ENTRY_POINT
    return library;
}

// The server of `kelvane serve` on a free loopback port, in this process.
class LocalServer {
public:
    LocalServer() : setup_(Sleeping::kSkipped), library_(LinkedLibrary()) {
        port_ = http_.Bind("127.0.0.1", 0);
        router_.SetAccess(AccessGuard({kToken, "127.0.0.1", port_}));
        listener_ = std::thread([this] { http_.Listen(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~LocalServer() {
        hub_.CloseAll();
        sampler_.Stop();
        http_.Stop();
        listener_.join();
        service_.Stop();
    }
    int Port() const { return port_; }
    httplib::Headers Headers() const {
        return {{"Authorization", "Bearer " + kToken}, {"Origin", "http://127.0.0.1:" + std::to_string(port_)}};
    }

private:
    BenchSetup setup_;
    tool::Library library_;
    ChipService service_{library_, 32};
    EventHub hub_;
    CallDefaults defaults_{0x1209, 0x4B56, 400000};
    ChipCalls calls_{service_, defaults_};
    Router router_{AccessGuard({}), calls_, hub_};
    HttpServer http_{router_};
    Sampler sampler_{service_, hub_, defaults_};
    int port_ = 0;
    std::thread listener_;
};

void BM_ServeChipsRoundTrip(benchmark::State& state) {
    LocalServer server;
    httplib::Client client("127.0.0.1", server.Port());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);  // as browsers do
    for (auto _ : state) {
        const auto result = client.Get("/api/chips", server.Headers());
        if (!result || result->status != 200) {
            state.SkipWithError("GET /api/chips failed");
            break;
        }
    }
}
BENCHMARK(BM_ServeChipsRoundTrip)->Unit(benchmark::kMicrosecond);

void BM_ServeDetectRoundTrip(benchmark::State& state) {
    LocalServer server;
    httplib::Client client("127.0.0.1", server.Port());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);  // as browsers do
    for (auto _ : state) {
        const auto result = client.Post("/api/chips/@0/detect", server.Headers(), "{}", "application/json");
        if (!result || result->status != 200) {
            state.SkipWithError("POST detect failed");
            break;
        }
    }
}
BENCHMARK(BM_ServeDetectRoundTrip)->Unit(benchmark::kMillisecond);

// Events a stream of the chip gets in 2 s (ADC ten times a second, the
// list and the pins when they change).
void BM_ServeEventsPerSecond(benchmark::State& state) {
    LocalServer server;
    double events = 0;
    double seconds = 0;
    for (auto _ : state) {
        httplib::Client client("127.0.0.1", server.Port());
        const auto start = std::chrono::steady_clock::now();
        client.Get("/api/events?chip=@0", server.Headers(), [&](const char* data, std::size_t length) {
            for (std::size_t i = 0; i + 6 < length; ++i) {
                events += std::string_view(data + i, 7) == "event: " ? 1 : 0;
            }
            return std::chrono::steady_clock::now() - start < std::chrono::seconds(2);
        });
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["events/s"] = events / seconds;
}
BENCHMARK(BM_ServeEventsPerSecond)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ServePageWeight(benchmark::State& state) {
    double plain = 0;
    double packed = 0;
    for (auto _ : state) {
        plain = 0;
        packed = 0;
        for (const EmbeddedFile& file : EmbeddedFiles()) {
            plain += static_cast<double>(file.data.size());
            packed += static_cast<double>(file.gzipped.size());
        }
    }
    state.counters["files"] = static_cast<double>(EmbeddedFiles().size());
    state.counters["KB"] = plain / 1000;
    state.counters["KB_gzip"] = packed / 1000;
}
BENCHMARK(BM_ServePageWeight)->Iterations(1);

}  // namespace
}  // namespace kelvane::bench
