#include "serve/api_client.h"

#include <chrono>

#include <httplib.h>

namespace kelvane::testing {

std::string ApiReply::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        const httplib::detail::ci less;
        if (!less(key, name) && !less(name, key)) {
            return value;
        }
    }
    return "";
}

std::string ApiReply::Error() const {
    if (json.is_object() && json.contains("error") && json["error"].is_object()) {
        return json["error"].value("message", "");
    }
    return "";
}

ApiReply ApiClient::Request(const std::string& method, const std::string& target, const std::string& body,
                            const std::map<std::string, std::string>& headers) const {
    std::map<std::string, std::string> all{{"Host", "127.0.0.1:" + std::to_string(port_)},
                                           {"Authorization", "Bearer " + token_}};
    if (method == "POST") {
        all["Origin"] = Origin();
        all["Content-Type"] = "application/json";
    }
    for (const auto& [name, value] : headers) {
        all[name] = value;
    }
    httplib::Client client("127.0.0.1", port_);
    client.set_connection_timeout(10);
    client.set_read_timeout(60);
    client.set_decompress(false);  // the body as sent (gzip for the page's files)
    httplib::Request request;
    request.method = method;
    request.path = target;
    for (const auto& [name, value] : all) {
        if (!value.empty()) {
            request.headers.emplace(name, value);
        }
    }
    request.body = body;
    ApiReply reply;
    httplib::Result result = client.send(request);
    if (!result) {
        reply.body = httplib::to_string(result.error());
        return reply;
    }
    reply.status = result->status;
    reply.body = result->body;
    for (const auto& [name, value] : result->headers) {
        reply.headers.emplace(name, value);
    }
    reply.json = nlohmann::json::parse(reply.body, nullptr, false);
    return reply;
}

std::vector<std::pair<std::string, nlohmann::json>> ApiClient::Events(const std::string& chip, double seconds) const {
    std::vector<std::pair<std::string, nlohmann::json>> events;
    std::string pending;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(5);
    httplib::Headers headers{{"Authorization", "Bearer " + token_}};
    client.Get(("/api/events?chip=" + chip).c_str(), headers, [&](const char* data, std::size_t length) {
        pending.append(data, length);
        std::size_t blank = 0;
        while ((blank = pending.find("\n\n")) != std::string::npos) {
            const std::string block = pending.substr(0, blank);
            pending.erase(0, blank + 2);
            std::string name;
            std::string payload;
            std::size_t at = 0;
            while (at < block.size()) {
                const std::size_t eol = std::min(block.find('\n', at), block.size());
                const std::string line = block.substr(at, eol - at);
                if (line.rfind("event: ", 0) == 0) {
                    name = line.substr(7);
                } else if (line.rfind("data: ", 0) == 0) {
                    payload = line.substr(6);
                }
                at = eol + 1;
            }
            if (!name.empty()) {
                events.emplace_back(name, nlohmann::json::parse(payload, nullptr, false));
            }
        }
        return std::chrono::steady_clock::now() < end;
    });
    return events;
}

}  // namespace kelvane::testing
