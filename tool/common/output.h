// What a run prints on standard output: lines of text, or with --json one
// JSON document, printed when the run ends, and its warnings (standard
// error, at once); and the writers of standard output and standard error
// (UTF-8; a Windows console gets UTF-16). A run inside the server takes
// the text or document instead of printing it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace kelvane::tool {

class Failure;

void WriteStdout(std::string_view text);
void WriteStderr(std::string_view text);
bool StderrIsTerminal();

class Output {
public:
    using Sink = std::function<void(std::string_view)>;

    // Warnings go to `warnings` (standard error unless given).
    explicit Output(bool json, Sink warnings = WriteStderr) : json_(json), warnings_(std::move(warnings)) {}

    bool Json() const { return json_; }
    // A line of the text output (its line end is added).
    void Line(const std::string& line);
    // The JSON document, an object that the command fills.
    nlohmann::json& Document() { return document_; }
    // The text output so far.
    const std::string& Text() const { return text_; }
    // A whole line for people, apart from the output (its line end given).
    void Warn(std::string_view line) const;
    // Adds "error": {"message", "code", "text"} to the document.
    void AddError(const Failure& failure);

    // Prints the text, or the document.
    void Print();
    // Prints what the run produced before it failed: the text so far, or
    // the document with an "error" member ({"message", "code", "text"}).
    void PrintFailed(const Failure& failure);

private:
    bool json_;
    Sink warnings_;
    std::string text_;
    nlohmann::json document_ = nlohmann::json::object();
};

}  // namespace kelvane::tool
