#include "serve/http/http_server.h"

#include <chrono>

#include <httplib.h>

namespace kelvane::tool::serve {
namespace {

constexpr auto kEventWait = std::chrono::milliseconds(1000);
// A comment line keeps proxies from closing a quiet stream and finds a
// client that went away.
constexpr int kQuietSecondsBeforeComment = 15;

void SetSocketOptions(socket_t socket) {
    int yes = 1;
#ifdef _WIN32
    // No other program may bind the port while this server has it.
    setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<char*>(&yes), sizeof yes);
#else
    // A port left in TIME_WAIT by an earlier run may be bound again; one
    // that another server listens on may not (no SO_REUSEPORT).
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<void*>(&yes), sizeof yes);
#endif
}

HttpRequest RequestOf(const httplib::Request& in) {
    HttpRequest request;
    request.method = in.method;
    request.target = in.target;
    request.body = in.body;
    for (const auto& [name, value] : in.headers) {
        // cpp-httplib adds the socket's addresses as headers of its own.
        if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT") {
            continue;
        }
        request.headers.emplace(name, value);
    }
    return request;
}

}  // namespace

struct HttpServer::Impl {
    explicit Impl(Router& r) : router(r) {}

    void Serve(const httplib::Request& in, httplib::Response& out) {
        HttpResponse response = router.Handle(RequestOf(in));
        out.status = response.status;
        for (const auto& [name, value] : response.headers) {
            out.set_header(name, value);
        }
        if (!response.events) {
            out.set_content(response.body, response.contentType);
            return;
        }
        std::shared_ptr<EventStream> stream = response.events;
        out.set_header("Cache-Control", "no-store");
        out.set_chunked_content_provider(
            response.contentType,
            [this, stream, quiet = 0](std::size_t, httplib::DataSink& sink) mutable {
                if (stopping.load()) {
                    sink.done();
                    return false;
                }
                const std::optional<std::string> text = stream->Take(kEventWait);
                if (!text) {
                    sink.done();
                    return false;
                }
                std::string chunk = *text;
                if (chunk.empty() && ++quiet >= kQuietSecondsBeforeComment) {
                    chunk = ": still here\n\n";
                }
                if (!chunk.empty()) {
                    quiet = 0;
                    if (!sink.write(chunk.data(), chunk.size())) {
                        stream->Close();
                        return false;
                    }
                }
                return true;
            },
            [stream](bool) { stream->Close(); });
    }

    Router& router;
    httplib::Server server;
    std::atomic<bool> stopping{false};
};

HttpServer::HttpServer(Router& router) : impl_(std::make_unique<Impl>(router)) {
    httplib::Server& server = impl_->server;
    server.new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
    server.set_socket_options(SetSocketOptions);
    // Answers go out at once (headers and body are written apart; with
    // Nagle's algorithm the body waited for the client's delayed ACK).
    server.set_tcp_nodelay(true);
    server.set_payload_max_length(Router::kLargestBody);
    httplib::Headers common;
    for (const auto& [name, value] : CommonHeaders()) {
        common.emplace(name, value);
    }
    server.set_default_headers(common);
    const auto serve = [impl = impl_.get()](const httplib::Request& in, httplib::Response& out) {
        impl->Serve(in, out);
    };
    server.Get(".*", serve);
    server.Post(".*", serve);
    server.Put(".*", serve);
    server.Patch(".*", serve);
    server.Delete(".*", serve);
    server.Options(".*", serve);
    // What cpp-httplib refuses itself (a body over the limit, a request it
    // cannot read) gets an error document too.
    server.set_error_handler([](const httplib::Request&, httplib::Response& out) {
        if (out.body.empty()) {
            const std::string message = out.status == 413 ? "the body is larger than 1 MiB"
                                                          : std::string("the request was refused: ") +
                                                                httplib::detail::status_message(out.status);
            out.set_content("{\n  \"error\": {\n    \"message\": \"" + message + "\"\n  }\n}\n", "application/json");
        }
    });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& out, std::exception_ptr) {
        out.status = 500;
        out.set_content("{\n  \"error\": {\n    \"message\": \"the server could not answer\"\n  }\n}\n",
                        "application/json");
    });
}

HttpServer::~HttpServer() {
    Stop();
}

int HttpServer::Bind(const std::string& address, int port) {
    httplib::Server& server = impl_->server;
    if (port == 0) {
        return server.bind_to_any_port(address);
    }
    return server.bind_to_port(address, port) ? port : -1;
}

bool HttpServer::Listen() {
    return impl_->server.listen_after_bind();
}

void HttpServer::Stop() {
    impl_->stopping.store(true);
    impl_->server.stop();
}

}  // namespace kelvane::tool::serve
