#include "serve/api/request_body.h"

namespace kelvane::tool::serve {
namespace {

// A configuration nests three levels in the body ({"config": {"pins":
// {"gp0": {...}}}}); nothing of the API goes deeper than this.
constexpr int kDeepestNesting = 6;

std::string Named(const char* name) {
    return std::string("\"") + name + "\"";
}

// Refuses text nested deeper than kDeepestNesting before the parser sees
// it: brackets outside strings are counted.
void CheckNesting(std::string_view body) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : body) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > kDeepestNesting) {
                throw BadRequest("the body is nested too deeply");
            }
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
}

// An integer of the JSON value within min to max (nlohmann keeps integers
// above INT64_MAX as unsigned).
bool FitsIn(const nlohmann::json& value, std::int64_t min, std::int64_t max) {
    if (!value.is_number_integer()) {
        return false;
    }
    if (value.is_number_unsigned()) {
        const std::uint64_t number = value.get<std::uint64_t>();
        return number <= static_cast<std::uint64_t>(max) && static_cast<std::int64_t>(number) >= min;
    }
    const std::int64_t number = value.get<std::int64_t>();
    return number >= min && number <= max;
}

std::int64_t IntegerOf(const nlohmann::json& value) {
    return value.is_number_unsigned() ? static_cast<std::int64_t>(value.get<std::uint64_t>())
                                      : value.get<std::int64_t>();
}

}  // namespace

nlohmann::json ParseBody(std::string_view body) {
    CheckNesting(body);
    nlohmann::json parsed = nlohmann::json::parse(body, nullptr, false);
    if (parsed.is_discarded()) {
        throw BadRequest("the body is not JSON");
    }
    if (!parsed.is_object()) {
        throw BadRequest("the body must be a JSON object");
    }
    return parsed;
}

const nlohmann::json* BodyReader::Member(const char* name) {
    taken_.insert(name);
    const auto found = body_.find(name);
    if (found == body_.end() || found->is_null()) {
        return nullptr;
    }
    return &*found;
}

std::optional<std::int64_t> BodyReader::Integer(const char* name, std::int64_t min, std::int64_t max) {
    const nlohmann::json* value = Member(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_number_integer()) {
        throw BadRequest(Named(name) + " must be an integer");
    }
    if (!FitsIn(*value, min, max)) {
        throw BadRequest(Named(name) + " must be from " + std::to_string(min) + " to " + std::to_string(max));
    }
    return IntegerOf(*value);
}

std::optional<bool> BodyReader::Bool(const char* name) {
    const nlohmann::json* value = Member(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_boolean()) {
        throw BadRequest(Named(name) + " must be true or false");
    }
    return value->get<bool>();
}

std::optional<double> BodyReader::Number(const char* name, double above, double below) {
    const nlohmann::json* value = Member(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_number()) {
        throw BadRequest(Named(name) + " must be a number");
    }
    const double number = value->get<double>();
    if (!(number > above && number < below)) {
        throw BadRequest(Named(name) + " must be above " + std::to_string(above) + " and below " +
                         std::to_string(below));
    }
    return number;
}

std::optional<std::string> BodyReader::String(const char* name, std::size_t maxBytes) {
    const nlohmann::json* value = Member(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_string()) {
        throw BadRequest(Named(name) + " must be a string");
    }
    const std::string& text = value->get_ref<const std::string&>();
    if (text.size() > maxBytes) {
        throw BadRequest(Named(name) + " must be at most " + std::to_string(maxBytes) + " bytes long");
    }
    if (text.find('\0') != std::string::npos) {
        throw BadRequest(Named(name) + " must not hold a NUL character");
    }
    return text;
}

std::optional<std::string> BodyReader::Choice(const char* name, std::initializer_list<const char*> choices) {
    const std::optional<std::string> text = String(name, 64);
    if (!text) {
        return std::nullopt;
    }
    std::string list;
    for (const char* choice : choices) {
        if (*text == choice) {
            return text;
        }
        list += (list.empty() ? "" : ", ") + std::string("\"") + choice + "\"";
    }
    throw BadRequest(Named(name) + " must be one of " + list);
}

std::optional<std::vector<std::string>> BodyReader::Strings(const char* name, std::size_t maxCount,
                                                            std::size_t maxBytes) {
    const nlohmann::json* value = Member(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_array() || value->size() > maxCount) {
        throw BadRequest(Named(name) + " must be an array of at most " + std::to_string(maxCount) + " strings");
    }
    std::vector<std::string> texts;
    for (const nlohmann::json& item : *value) {
        if (!item.is_string() || item.get_ref<const std::string&>().size() > maxBytes ||
            item.get_ref<const std::string&>().find('\0') != std::string::npos) {
            throw BadRequest(Named(name) + " must hold strings of at most " + std::to_string(maxBytes) +
                             " bytes, without NUL");
        }
        texts.push_back(item.get<std::string>());
    }
    return texts;
}

std::optional<std::vector<std::int64_t>> BodyReader::Integers(const char* name, std::size_t maxCount,
                                                              std::int64_t min, std::int64_t max) {
    const nlohmann::json* value = Member(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_array() || value->size() > maxCount) {
        throw BadRequest(Named(name) + " must be an array of at most " + std::to_string(maxCount) + " integers");
    }
    std::vector<std::int64_t> numbers;
    for (const nlohmann::json& item : *value) {
        if (!FitsIn(item, min, max)) {
            throw BadRequest(Named(name) + " must hold integers from " + std::to_string(min) + " to " +
                             std::to_string(max));
        }
        numbers.push_back(IntegerOf(item));
    }
    return numbers;
}

const nlohmann::json* BodyReader::Object(const char* name) {
    const nlohmann::json* value = Member(name);
    if (value != nullptr && !value->is_object()) {
        throw BadRequest(Named(name) + " must be an object");
    }
    return value;
}

void BodyReader::Finish() const {
    for (auto it = body_.begin(); it != body_.end(); ++it) {
        if (taken_.find(it.key()) == taken_.end()) {
            throw BadRequest("\"" + it.key() + "\" is not taken here");
        }
    }
}

}  // namespace kelvane::tool::serve
