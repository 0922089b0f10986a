// The JSON body of an API call, read member by member with its type and
// range checked: a member of the wrong type, out of its range, or one that
// the call does not take is a bad request (400), never a value passed on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace kelvane::tool::serve {

// A request that the server refuses as it stands: the HTTP status (400,
// 404, 409, ...) and the message of its {"error": {"message"}} document.
class BadRequest : public std::runtime_error {
public:
    BadRequest(int status, const std::string& message) : std::runtime_error(message), status_(status) {}
    explicit BadRequest(const std::string& message) : BadRequest(400, message) {}
    int Status() const { return status_; }

private:
    int status_;
};

// The body parsed as one JSON object; BadRequest for anything else (empty,
// malformed, another type, nested deeper than any body of the API).
nlohmann::json ParseBody(std::string_view body);

class BodyReader {
public:
    explicit BodyReader(const nlohmann::json& body) : body_(body) {}

    std::optional<std::int64_t> Integer(const char* name, std::int64_t min, std::int64_t max);
    std::optional<bool> Bool(const char* name);
    // A number (integer or not) above `above` and below `below`.
    std::optional<double> Number(const char* name, double above, double below);
    // A string of at most maxBytes bytes.
    std::optional<std::string> String(const char* name, std::size_t maxBytes);
    // One of the given strings.
    std::optional<std::string> Choice(const char* name, std::initializer_list<const char*> choices);
    // An array of at most maxCount strings of at most maxBytes each.
    std::optional<std::vector<std::string>> Strings(const char* name, std::size_t maxCount, std::size_t maxBytes);
    // An array of at most maxCount integers from min to max.
    std::optional<std::vector<std::int64_t>> Integers(const char* name, std::size_t maxCount, std::int64_t min,
                                                      std::int64_t max);
    // An object member, or null when absent.
    const nlohmann::json* Object(const char* name);

    // BadRequest naming the first member that no call of this reader took.
    void Finish() const;

private:
    const nlohmann::json* Member(const char* name);

    const nlohmann::json& body_;
    std::set<std::string, std::less<>> taken_;
};

}  // namespace kelvane::tool::serve
