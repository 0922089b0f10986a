// What the locks cost a call when nobody else wants the chip: the
// library's own lock that every export takes (a mutex), and the chip's lock
// across programs on Linux (flock on the node, taken and given back once per
// call), here on a file of the temporary directory, which flock treats as it
// treats a device node. The whole cost per call on the virtual chip is
// BM_StatusExchange of transfer_bench.cpp, measured before and after.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "core/call_lock.h"
#include "platform/hidraw/node_lock.h"

namespace kelvane::bench {
namespace {

void BM_CallLock(benchmark::State& state) {
    for (auto _ : state) {
        const core::CallLock lock;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CallLock);

void BM_NodeLockAndUnlock(benchmark::State& state) {
    std::string path = "/tmp/kelvane-lock-bench-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0) {
        state.SkipWithError("no temporary file");
        return;
    }
    const platform::hidraw::NodeLocker locker = platform::hidraw::SystemLocker();
    for (auto _ : state) {
        if (platform::hidraw::LockNode(fd, 0, locker) != platform::LockStatus::kAcquired) {
            state.SkipWithError("the lock was refused");
            break;
        }
        platform::hidraw::UnlockNode(fd, locker);
    }
    ::close(fd);
    ::unlink(path.c_str());
}
BENCHMARK(BM_NodeLockAndUnlock);

}  // namespace
}  // namespace kelvane::bench
