// What a run prints on standard output: lines of text, or with --json one
// JSON document, printed when the run ends; and the writers of standard
// output and standard error (UTF-8; a Windows console gets UTF-16).
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace kelvane::tool {

class Failure;

class Output {
public:
    explicit Output(bool json) : json_(json) {}

    bool Json() const { return json_; }
    // A line of the text output (its line end is added).
    void Line(const std::string& line);
    // The JSON document, an object that the command fills.
    nlohmann::json& Document() { return document_; }

    // Prints the text, or the document.
    void Print();
    // Prints what the run produced before it failed: the text so far, or
    // the document with an "error" member ({"message", "code", "text"}).
    void PrintFailed(const Failure& failure);

private:
    bool json_;
    std::string text_;
    nlohmann::json document_ = nlohmann::json::object();
};

void WriteStdout(std::string_view text);
void WriteStderr(std::string_view text);
bool StderrIsTerminal();

}  // namespace kelvane::tool
