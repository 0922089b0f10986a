#include "platform/hidraw/node_lock.h"

#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "platform/hidraw/report_io.h"

namespace kelvane::platform::hidraw {
namespace {

constexpr long kFirstRetryNs = 50'000;
constexpr long kLongestRetryNs = 1'000'000;

void SleepNs(long nanoseconds) {
    timespec pause{0, nanoseconds};
    ::nanosleep(&pause, nullptr);  // an interruption only shortens the pause
}

}  // namespace

NodeLocker SystemLocker() {
    return [](int fd, int operation) { return ::flock(fd, operation); };
}

LockStatus LockNode(int fd, std::uint32_t waitMs, const NodeLocker& locker) {
    if (fd < 0) {
        return LockStatus::kFailed;
    }
    const Deadline deadline(waitMs);
    long retryNs = kFirstRetryNs;
    while (true) {
        if (locker(fd, LOCK_EX | LOCK_NB) == 0) {
            return LockStatus::kAcquired;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return LockStatus::kFailed;
        }
        if (deadline.Passed()) {
            return LockStatus::kBusy;
        }
        SleepNs(std::min<long>(retryNs, static_cast<long>(deadline.RemainingMs()) * 1'000'000 + 1));
        retryNs = std::min(retryNs * 2, kLongestRetryNs);
    }
}

void UnlockNode(int fd, const NodeLocker& locker) {
    if (fd >= 0) {
        locker(fd, LOCK_UN);
    }
}

}  // namespace kelvane::platform::hidraw
