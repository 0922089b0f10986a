#include "common/progress.h"

#include "common/output.h"

namespace kelvane::tool {

Progress::Progress(bool shown, Sink sink) : shown_(shown), sink_(sink ? std::move(sink) : Sink(WriteStderr)) {}

Progress::~Progress() {
    Clear();
}

void Progress::Step(std::string_view what, std::size_t done, std::size_t total) {
    if (!shown_) {
        return;
    }
    std::string line = "kelvane: " + std::string(what) + " " + std::to_string(done) + "/" + std::to_string(total);
    if (line.size() < width_) {
        line.append(width_ - line.size(), ' ');  // over the rest of a longer line
    }
    width_ = line.size();
    sink_("\r" + line);
}

void Progress::Clear() {
    if (!shown_ || width_ == 0) {
        return;
    }
    sink_("\r" + std::string(width_, ' ') + "\r");
    width_ = 0;
}

bool ProgressShown(bool json) {
    return !json && StderrIsTerminal();
}

}  // namespace kelvane::tool
