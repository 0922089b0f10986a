#include "serve/live/event_stream.h"

namespace kelvane::tool::serve {

void EventStream::Push(const std::string& name, const std::string& data) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) {
            return;
        }
        if (waiting_.size() + name.size() + data.size() > kMostWaiting) {
            closed_ = true;
            waiting_.clear();
        } else {
            waiting_ += "event: " + name + "\ndata: " + data + "\n\n";
        }
    }
    arrived_.notify_all();
}

std::optional<std::string> EventStream::Take(std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait_for(lock, wait, [this] { return closed_ || !waiting_.empty(); });
    if (closed_) {
        return std::nullopt;
    }
    std::string text;
    text.swap(waiting_);
    return text;
}

void EventStream::Close() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    arrived_.notify_all();
}

bool EventStream::Closed() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
}

}  // namespace kelvane::tool::serve
