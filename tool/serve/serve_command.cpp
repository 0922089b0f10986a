// serve: the chips in a browser. A web page served by the program itself,
// with an API under /api/ that runs the program's own subcommands (one
// worker thread owns the library) and streams the live values. It serves
// until Ctrl-C (or the console's close on Windows).
#include <atomic>
#include <chrono>
#include <thread>

#include <CLI/CLI.hpp>

#include "commands/command.h"
#include "common/failure.h"
#include "common/numbers.h"
#include "common/output.h"
#include "common/session.h"
#include "serve/api/chip_calls.h"
#include "serve/browser.h"
#include "serve/chip_service.h"
#include "serve/http/access_guard.h"
#include "serve/http/http_server.h"
#include "serve/live/event_hub.h"
#include "serve/live/sampler.h"
#include "serve/random_token.h"
#include "serve/router.h"
#include "serve/stop_request.h"

namespace kelvane::tool {
namespace {

constexpr char kDefaultBind[] = "127.0.0.1";
constexpr int kDefaultPort = 8246;
// API calls that may wait for the chip service at once (503 beyond).
constexpr std::size_t kMostWaitingCalls = 32;

// The host of the printed address: the bound address, IPv6 in brackets; a
// bind to every address is reached on the loopback address.
std::string UrlHost(const std::string& bind) {
    if (bind == "0.0.0.0") {
        return "127.0.0.1";
    }
    if (bind == "::") {
        return "[::1]";
    }
    return bind.find(':') != std::string::npos ? "[" + bind + "]" : bind;
}

class ServeCommand : public Command {
public:
    void Add(CLI::App& program) override {
        subcommand_ = AddSubcommand(program, "serve", "serve [--bind ADDR] [--port N] [--no-browser] [--token TOKEN]",
                                    "the chips in a browser",
                                    "Serves a web page with the chips (bus, pins, a live plot of the ADC,\n"
                                    "configuration) and the API that it uses, and opens it in the default\n"
                                    "browser. The first line on standard output is the address, with the\n"
                                    "token that every API call needs. --bind 127.0.0.1 and --port 8246 unless\n"
                                    "given; --port 0 takes a free port. An address other than a loopback\n"
                                    "address makes the chips reachable from the network: it is served with a\n"
                                    "warning. Ctrl-C stops the server.");
        subcommand_->add_option("--bind", bind_, "the address to listen on (default 127.0.0.1)")->type_name("ADDR");
        subcommand_->add_option("--port", port_, "the TCP port, 0 for a free one (default 8246)")->type_name("N");
        subcommand_->add_flag("--no-browser", noBrowser_, "do not open the page in a browser");
        subcommand_->add_option("--token", token_, "the token (default: 256 random bits)")->type_name("TOKEN");
    }

    void Prepare() override {
        portNumber_ = static_cast<int>(NumberIn(port_, 0, 65535, "--port"));
        if (bind_.empty() || bind_.size() > 255) {
            throw UsageError("serve: --bind needs an address");
        }
        if (!token_.empty() && !serve::TokenAcceptable(token_)) {
            throw UsageError(
                "serve: --token must be 32 to 256 letters, digits, '-', '_', '.' or '~' (it guards the chips)");
        }
    }

    bool RunsInProcess() const override { return false; }

    void Run(Session& session) override {
        if (session.Options().json) {
            throw UsageError("serve: --json is not taken (the API answers in JSON)");
        }
        const std::string token = token_.empty() ? serve::RandomToken() : token_;
        // Before any thread starts: the stop signals go to Wait only.
        serve::StopRequest stopRequest;
        const serve::CallDefaults defaults{session.Options().vendorId, session.Options().productId,
                                           session.Options().speed};
        serve::ChipService service(session.Lib(), kMostWaitingCalls);
        serve::EventHub hub;
        serve::ChipCalls calls(service, defaults);
        serve::Router router(serve::AccessGuard({}), calls, hub);
        serve::HttpServer http(router);
        const int bound = http.Bind(bind_, portNumber_);
        if (bound < 0) {
            service.Stop();
            throw Failure("serve: cannot listen on " + bind_ + " port " + std::to_string(portNumber_) +
                          " (in use, or not an address of this machine)");
        }
        router.SetAccess(serve::AccessGuard({token, bind_, bound}));
        const std::string url = "http://" + UrlHost(bind_) + ":" + std::to_string(bound) + "/?token=" + token;
        WriteStdout("kelvane: serving on " + url + "\n");
        if (!serve::IsLoopback(bind_)) {
            WriteStderr("kelvane: warning: " + bind_ +
                        " is not a loopback address: the chips can be reached from the network by anyone who "
                        "has the token\n");
        }
        serve::Sampler sampler(service, hub, defaults);
        bool listened = true;
        std::atomic<bool> listenerEnded{false};
        std::thread listener([&] {
            listened = http.Listen();
            listenerEnded.store(true);
        });
        if (!noBrowser_) {
            serve::OpenInBrowser(url);
        }
        WriteStderr("kelvane: Ctrl-C stops the server\n");
        stopRequest.Wait();

        hub.CloseAll();
        sampler.Stop();
        // Listen may not have started when the stop came: ask until it ends.
        for (int attempt = 0; attempt < 100 && !listenerEnded.load(); ++attempt) {
            http.Stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        listener.join();
        service.Stop();
        WriteStderr("kelvane: stopped\n");
        stopRequest.Done();
        if (!listened) {
            throw Failure("serve: the server stopped listening");
        }
    }

private:
    std::string bind_ = kDefaultBind;
    std::string port_ = std::to_string(kDefaultPort);
    std::string token_;
    bool noBrowser_ = false;
    int portNumber_ = kDefaultPort;
};

}  // namespace

std::unique_ptr<Command> MakeServeCommand() {
    return std::make_unique<ServeCommand>();
}

}  // namespace kelvane::tool
