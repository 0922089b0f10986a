#include "serve/router.h"

#include "serve/api/command_bodies.h"
#include "serve/api/request_body.h"
#include "serve/embedded_files.h"

namespace kelvane::tool::serve {
namespace {

constexpr char kJson[] = "application/json";

HttpResponse JsonResponse(int status, const nlohmann::json& document) {
    HttpResponse response;
    response.status = status;
    response.contentType = kJson;
    // As `kelvane --json` prints it.
    response.body = document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    return response;
}

HttpResponse AnswerResponse(const ApiAnswer& answer) {
    if (!answer.file) {
        return JsonResponse(answer.status, answer.document);
    }
    HttpResponse response;
    response.status = answer.status;
    response.contentType = "application/toml; charset=utf-8";
    response.body = *answer.file;
    response.headers.emplace_back("Content-Disposition", "attachment; filename=\"" + answer.fileName + "\"");
    return response;
}

// The media type of a Content-Type value, without parameters, lower case.
std::string MediaType(const std::string& value) {
    std::string type = value.substr(0, value.find(';'));
    while (!type.empty() && type.back() == ' ') {
        type.pop_back();
    }
    for (char& c : type) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return type;
}

bool AcceptsGzip(const HttpRequest& request) {
    for (const std::string& value : HeaderValues(request.headers, "Accept-Encoding")) {
        if (value.find("gzip") != std::string::npos) {
            return true;
        }
    }
    return false;
}

HttpResponse MethodNotAllowed(const char* allowed) {
    HttpResponse response = ErrorResponse(405, std::string("use ") + allowed + " here");
    response.headers.emplace_back("Allow", allowed);
    return response;
}

}  // namespace

HttpResponse ErrorResponse(int status, const std::string& message) {
    return JsonResponse(status, {{"error", {{"message", message}}}});
}

HttpResponse Router::Handle(const HttpRequest& request) {
    try {
        const std::string& method = request.method;
        if (method != "GET" && method != "HEAD" && method != "POST") {
            return MethodNotAllowed("GET, HEAD, POST");
        }
        if (!guard_.HostAllowed(request)) {
            return ErrorResponse(403, "the Host header must name this server by its address or a loopback name");
        }
        if (!HeaderValues(request.headers, "Range").empty()) {
            return ErrorResponse(416, "ranges are not served");
        }
        if (request.body.size() > kLargestBody) {
            return ErrorResponse(413, "the body is larger than 1 MiB");
        }
        const std::optional<RequestTarget> target = ParseTarget(request.target);
        if (!target) {
            return ErrorResponse(400, "the request's target cannot be read");
        }
        if (!target->segments.empty() && target->segments[0] == "api") {
            return Api(request, *target);
        }
        return Page(request, *target);
    } catch (const BadRequest& refused) {
        return ErrorResponse(refused.Status(), refused.what());
    } catch (const std::exception& error) {
        return ErrorResponse(500, std::string("the server could not answer: ") + error.what());
    }
}

HttpResponse Router::Page(const HttpRequest& request, const RequestTarget& target) {
    if (request.method == "POST") {
        return MethodNotAllowed("GET, HEAD");
    }
    std::string path;
    for (const std::string& segment : target.segments) {
        path += "/" + segment;
    }
    const EmbeddedFile* file = FindEmbeddedFile(path.empty() ? "/" : path);
    if (file == nullptr) {
        return ErrorResponse(404, "no such page");
    }
    HttpResponse response;
    response.contentType = std::string(file->contentType);
    const bool gzip = AcceptsGzip(request) && !file->gzipped.empty();
    response.body = std::string(gzip ? file->gzipped : file->data);
    if (gzip) {
        response.headers.emplace_back("Content-Encoding", "gzip");
    }
    response.headers.emplace_back("Vary", "Accept-Encoding");
    response.headers.emplace_back("Cache-Control", "no-cache");
    if (guard_.TokenInQuery(target)) {
        response.headers.emplace_back("Set-Cookie", guard_.TokenCookie());
    }
    return response;
}

HttpResponse Router::Api(const HttpRequest& request, const RequestTarget& target) {
    HttpResponse response;
    try {
        response = ApiCall(request, target);
    } catch (const BadRequest& refused) {
        response = ErrorResponse(refused.Status(), refused.what());
    }
    response.headers.emplace_back("Cache-Control", "no-store");
    if (response.status != 401 && guard_.TokenInQuery(target)) {
        response.headers.emplace_back("Set-Cookie", guard_.TokenCookie());
    }
    return response;
}

HttpResponse Router::ApiCall(const HttpRequest& request, const RequestTarget& target) {
    if (!guard_.Authorised(request, target)) {
        HttpResponse refused = ErrorResponse(
            401, "the token is missing or wrong: open the address that `kelvane serve` printed, with its ?token=");
        refused.headers.emplace_back("WWW-Authenticate", "Bearer");
        return refused;
    }
    const std::vector<std::string>& path = target.segments;
    const bool post = request.method == "POST";
    if (path.size() == 2 && path[1] == "chips") {
        return post ? MethodNotAllowed("GET, HEAD") : AnswerResponse(calls_.List());
    }
    if (path.size() == 2 && path[1] == "events") {
        return post ? MethodNotAllowed("GET, HEAD") : Events(target);
    }
    const bool chipCall = path.size() >= 4 && path.size() <= 5 && path[1] == "chips";
    const bool batchCall = path.size() == 3 && path[1] == "config" && path[2] == "apply";
    if (!chipCall && !batchCall) {
        return ErrorResponse(404, "no such call");
    }
    if (!post) {
        return MethodNotAllowed("POST");
    }
    if (!guard_.SameOrigin(request)) {
        return ErrorResponse(403, "a call that changes something needs an Origin header of this server");
    }
    const std::vector<std::string> types = HeaderValues(request.headers, "Content-Type");
    if (types.size() != 1 || MediaType(types[0]) != kJson) {
        return ErrorResponse(415, "the body must be JSON (Content-Type: application/json)");
    }
    const nlohmann::json body = ParseBody(request.body);
    if (batchCall) {
        CommandCall call = BatchApply(body);
        return AnswerResponse(calls_.OnAll(call.subcommand, std::move(call.extras)));
    }
    const std::string action = path.size() == 5 ? path[3] + "/" + path[4] : path[3];
    CommandCall call;
    if (!ChipCommand(action, body, call)) {
        return ErrorResponse(404, "no such call");
    }
    return AnswerResponse(calls_.OnChip(path[2], call.subcommand, std::move(call.extras)));
}

HttpResponse Router::Events(const RequestTarget& target) {
    const std::string chip = QueryValue(target, "chip").value_or("");
    if (chip.size() > 256) {
        return ErrorResponse(400, "\"chip\" is too long");
    }
    std::shared_ptr<EventStream> stream = hub_.Open(chip);
    if (!stream) {
        return ErrorResponse(503, "too many event streams are open");
    }
    HttpResponse response;
    response.contentType = "text/event-stream";
    response.events = std::move(stream);
    return response;
}

}  // namespace kelvane::tool::serve
