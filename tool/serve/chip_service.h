// The one thread that owns the library in the server. Every library call of
// the server runs on it: the API's calls and the sampling of the live
// values, one job at a time, in the order they were handed in (the library
// is used from one thread at a time). Its LibraryUse keeps the library
// initialised across the jobs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "common/library.h"
#include "common/session.h"

namespace kelvane::tool::serve {

class ChipService {
public:
    using Job = std::function<void(const Library&, LibraryUse&)>;

    enum class Outcome {
        kDone,
        kBusy,      // maxQueued jobs wait already
        kStopped,   // the service stops: the job did not run
        kTimedOut,  // still waiting or running after the wait (it still runs)
    };

    ChipService(const Library& library, std::size_t maxQueued);
    ~ChipService();
    ChipService(const ChipService&) = delete;
    ChipService& operator=(const ChipService&) = delete;

    // Runs job on the thread and waits for it at most `wait`. A job that
    // throws has ended (the exception goes no further).
    Outcome Run(Job job, std::chrono::milliseconds wait);

    // Like Run, with the job's result (a value the job makes; `result` is
    // set only with kDone).
    template <typename Result>
    Outcome Call(std::function<Result(const Library&, LibraryUse&)> work, std::chrono::milliseconds wait,
                 Result& result) {
        auto slot = std::make_shared<std::optional<Result>>();
        const Outcome outcome =
            Run([work = std::move(work), slot](const Library& library, LibraryUse& use) { *slot = work(library, use); },
                wait);
        if (outcome == Outcome::kDone && slot->has_value()) {
            result = std::move(**slot);
        }
        return outcome == Outcome::kDone && !slot->has_value() ? Outcome::kStopped : outcome;
    }

    // Ends the thread after the job it runs; jobs that wait do not run.
    void Stop();

private:
    struct Pending;
    void Loop();

    const Library& library_;
    const std::size_t maxQueued_;
    LibraryUse use_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Pending>> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace kelvane::tool::serve
