// One client's stream of Server-Sent Events: the events published for it
// wait here until the connection takes them. A client that falls behind by
// more than the stream holds is dropped (its stream closes; EventSource
// reconnects), so no client makes the server keep more than that.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>

namespace kelvane::tool::serve {

class EventStream {
public:
    // The chip it watches ("" for none): its serial number, or @INDEX.
    explicit EventStream(std::string chip) : chip_(std::move(chip)) {}

    const std::string& Chip() const { return chip_; }

    // Adds an event in the text/event-stream format: "event: NAME",
    // "data: DATA" (one line) and a blank line.
    void Push(const std::string& name, const std::string& data);
    // What waits, after waiting up to `wait` for something: "" when nothing
    // came; nullopt once the stream is closed.
    std::optional<std::string> Take(std::chrono::milliseconds wait);
    void Close();
    bool Closed() const;

    // The most text that waits before the client is dropped.
    static constexpr std::size_t kMostWaiting = 256 * 1024;

private:
    const std::string chip_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::string waiting_;
    bool closed_ = false;
};

}  // namespace kelvane::tool::serve
