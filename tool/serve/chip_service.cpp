#include "serve/chip_service.h"

namespace kelvane::tool::serve {

struct ChipService::Pending {
    Job job;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool ran = false;
};

ChipService::ChipService(const Library& library, std::size_t maxQueued)
    : library_(library), maxQueued_(maxQueued), thread_([this] { Loop(); }) {}

ChipService::~ChipService() {
    Stop();
}

ChipService::Outcome ChipService::Run(Job job, std::chrono::milliseconds wait) {
    auto pending = std::make_shared<Pending>();
    pending->job = std::move(job);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            return Outcome::kStopped;
        }
        if (queue_.size() >= maxQueued_) {
            return Outcome::kBusy;
        }
        queue_.push_back(pending);
    }
    wake_.notify_one();
    std::unique_lock<std::mutex> lock(pending->mutex);
    if (!pending->finished.wait_for(lock, wait, [&] { return pending->done; })) {
        return Outcome::kTimedOut;
    }
    return pending->ran ? Outcome::kDone : Outcome::kStopped;
}

void ChipService::Stop() {
    std::deque<std::shared_ptr<Pending>> dropped;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        dropped.swap(queue_);
    }
    wake_.notify_all();
    for (const std::shared_ptr<Pending>& pending : dropped) {
        const std::lock_guard<std::mutex> lock(pending->mutex);
        pending->done = true;
        pending->finished.notify_all();
    }
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

void ChipService::Loop() {
    for (;;) {
        std::shared_ptr<Pending> pending;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) {
                return;
            }
            pending = queue_.front();
            queue_.pop_front();
        }
        bool ran = true;
        try {
            pending->job(library_, use_);
        } catch (...) {
            ran = false;
        }
        const std::lock_guard<std::mutex> lock(pending->mutex);
        pending->done = true;
        pending->ran = ran;
        pending->finished.notify_all();
    }
}

}  // namespace kelvane::tool::serve
