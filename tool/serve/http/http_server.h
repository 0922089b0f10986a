// The HTTP server over sockets (cpp-httplib, whose header only this file's
// source includes): it hands every request to the router and writes its
// answer with the common headers; event streams are written as their events
// come, with a comment line every 15 s, until the client goes or the server
// stops. Bodies over the router's limit are refused (413) while they are
// read; headers, targets and time-outs have cpp-httplib's bounds (8 KiB,
// 5 s).
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "serve/router.h"

namespace kelvane::tool::serve {

class HttpServer {
public:
    explicit HttpServer(Router& router);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds address:port (port 0: a free one); the port bound, or -1 when
    // the address cannot be bound. A port in use fails, whoever holds it.
    int Bind(const std::string& address, int port);
    // Serves until Stop; false when the server could not listen.
    bool Listen();
    // Ends Listen: no new connection; event streams end within a second.
    void Stop();

    // The threads that serve connections (an event stream holds one).
    static constexpr int kThreads = 16;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kelvane::tool::serve
