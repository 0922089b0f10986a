#include "common/progress.h"

#include "common/output.h"

namespace kelvane::tool {

Progress::Progress(bool shown, Sink sink) : shown_(shown), sink_(sink ? std::move(sink) : Sink(WriteStderr)) {}

Progress::~Progress() {
    Clear();
}

// The lines are built with append: GCC 12 for 32-bit Windows warns
// (-Wrestrict, wrongly) about "text" + std::string here.
void Progress::Step(std::string_view what, std::size_t done, std::size_t total) {
    if (!shown_) {
        return;
    }
    std::string line = "\rkelvane: ";
    line.append(what).append(" ").append(std::to_string(done)).append("/").append(std::to_string(total));
    const std::size_t width = line.size() - 1;
    if (width < width_) {
        line.append(width_ - width, ' ');  // over the rest of a longer line
    } else {
        width_ = width;
    }
    sink_(line);
}

void Progress::Clear() {
    if (!shown_ || width_ == 0) {
        return;
    }
    std::string blank = "\r";
    blank.append(width_, ' ').append("\r");
    sink_(blank);
    width_ = 0;
}

bool ProgressShown(bool json) {
    return !json && StderrIsTerminal();
}

}  // namespace kelvane::tool
