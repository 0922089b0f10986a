// A client of the server's API for the tests, over cpp-httplib's client
// (in api_client.cpp, the one test source that includes it): requests with
// the token and the server's own Origin unless a test leaves them out or
// sets others, and answers with their status, headers and parsed JSON.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kelvane::testing {

struct ApiReply {
    int status = 0;  // 0: no answer
    std::string body;
    std::multimap<std::string, std::string> headers;
    nlohmann::json json;  // discarded when the body is no JSON

    std::string Header(const std::string& name) const;
    // The message of an {"error": {"message"}} answer, or "".
    std::string Error() const;
};

class ApiClient {
public:
    ApiClient(int port, std::string token) : port_(port), token_(std::move(token)) {}

    // headers replace the defaults of the same name; a default given as ""
    // is left out (Host, Origin, Authorization, Content-Type).
    ApiReply Request(const std::string& method, const std::string& target, const std::string& body = "",
                     const std::map<std::string, std::string>& headers = {}) const;
    ApiReply Get(const std::string& target, const std::map<std::string, std::string>& headers = {}) const {
        return Request("GET", target, "", headers);
    }
    ApiReply Post(const std::string& target, const nlohmann::json& body,
                  const std::map<std::string, std::string>& headers = {}) const {
        return Request("POST", target, body.dump(), headers);
    }
    // POST /api/chips/{chip}/{action}
    ApiReply Call(const std::string& chip, const std::string& action, const nlohmann::json& body) const {
        return Post("/api/chips/" + chip + "/" + action, body);
    }

    // Reads /api/events for `seconds`: the names of the events, in order, and
    // their data.
    std::vector<std::pair<std::string, nlohmann::json>> Events(const std::string& chip, double seconds) const;

    int Port() const { return port_; }
    const std::string& Token() const { return token_; }
    std::string Origin() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    int port_;
    std::string token_;
};

}  // namespace kelvane::testing
