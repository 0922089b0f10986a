// The hidraw backend's lock across processes, with the kernel's own flock on
// a temporary file standing for a node: two opens of the file are two
// processes' descriptors of the node. Granted when free; waited for, and
// then refused, while another open holds it; granted once the holder lets go
// or closes its descriptor; refused at once for a bad descriptor or an error
// that waiting cannot mend.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/hidraw/node_lock.h"
#include "support/temporary_directory.h"

namespace kelvane::testing {
namespace {

using platform::LockStatus;
using platform::hidraw::LockNode;
using platform::hidraw::NodeLocker;
using platform::hidraw::SystemLocker;
using platform::hidraw::UnlockNode;

class NodeLockTest : public ::testing::Test {
protected:
    ~NodeLockTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }

    int OpenNode() {
        const int fd = ::open(node_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        EXPECT_GE(fd, 0);
        return fd;
    }
    static long long MsSince(std::chrono::steady_clock::time_point start) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    }

    std::filesystem::path directory_ = MakeTemporaryDirectory("kelvane-node-lock");
    std::string node_ = (directory_ / "hidraw0").string();
    NodeLocker locker_ = SystemLocker();
};

TEST_F(NodeLockTest, AHeldNodeIsWaitedForWithinTheBoundAndGrantedWhenItsHolderLetsGo) {
    const int mine = OpenNode();
    const int other = OpenNode();
    ASSERT_EQ(LockNode(other, 0, locker_), LockStatus::kAcquired);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(LockNode(mine, 150, locker_), LockStatus::kBusy);
    EXPECT_GE(MsSince(start), 149);  // the wait is kept on a clock of whole milliseconds
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_EQ(LockNode(mine, 0, locker_), LockStatus::kBusy);

    // The holder lets go during the wait.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        UnlockNode(other, locker_);
    });
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(LockNode(mine, 5000, locker_), LockStatus::kAcquired);
    release.join();
    EXPECT_LT(MsSince(start), 1000) << "a release is noticed within milliseconds";

    // Now the other one waits; a holder that closes its descriptor (or whose
    // process ends) frees the node without an unlock.
    EXPECT_EQ(LockNode(other, 0, locker_), LockStatus::kBusy);
    ::close(mine);
    EXPECT_EQ(LockNode(other, 0, locker_), LockStatus::kAcquired);
    ::close(other);
}

TEST_F(NodeLockTest, ABadDescriptorOrAnErrorThatWaitingCannotMendIsRefusedAtOnce) {
    EXPECT_EQ(LockNode(-1, 1000, locker_), LockStatus::kFailed);
    EXPECT_EQ(LockNode(1'000'000, 1000, locker_), LockStatus::kFailed);  // EBADF from the kernel

    int calls = 0;
    const NodeLocker noLocks = [&calls](int, int) {
        ++calls;
        errno = ENOLCK;
        return -1;
    };
    const int fd = OpenNode();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(LockNode(fd, 1000, noLocks), LockStatus::kFailed);
    EXPECT_EQ(calls, 1);
    EXPECT_LT(MsSince(start), 100);

    // An interrupted call is asked again, not taken for a refusal.
    calls = 0;
    const NodeLocker interruptedOnce = [&calls](int descriptor, int operation) {
        if (calls++ == 0) {
            errno = EINTR;
            return -1;
        }
        return ::flock(descriptor, operation);
    };
    EXPECT_EQ(LockNode(fd, 1000, interruptedOnce), LockStatus::kAcquired);
    EXPECT_EQ(calls, 2);
    ::close(fd);
}

}  // namespace
}  // namespace kelvane::testing
