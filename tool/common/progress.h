// Progress of work of many steps (a full detect, a dump, config apply
// --all): one line on standard error, rewritten in place and erased at the
// end. Shown only on a terminal and never with --json, so that neither a
// log file nor a JSON document ever holds it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kelvane::tool {

class Progress {
public:
    using Sink = std::function<void(std::string_view)>;

    // Shows nothing unless `shown`.
    explicit Progress(bool shown, Sink sink = nullptr);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // "kelvane: <what> <done>/<total>" in place of the previous line.
    void Step(std::string_view what, std::size_t done, std::size_t total);
    // Erases the line.
    void Clear();

private:
    bool shown_;
    Sink sink_;
    std::size_t width_ = 0;  // of the line on screen
};

// Whether progress is shown in a run: standard error is a terminal and the
// output is not JSON.
bool ProgressShown(bool json);

}  // namespace kelvane::tool
