// The wait that the portable build of the programs uses in place of
// pthread_cond_clockwait: a real wait on real clocks (tens of milliseconds).
#include "common/realtime_clock_wait.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <limits>
#include <thread>

namespace kelvane::tool {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

struct timespec MonotonicIn(milliseconds ahead) {
    struct timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    long long nanoseconds = now.tv_nsec + static_cast<long long>(ahead.count()) * 1'000'000;
    now.tv_sec += static_cast<time_t>(nanoseconds / 1'000'000'000);
    now.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
    if (now.tv_nsec < 0) {
        now.tv_nsec += 1'000'000'000;
        --now.tv_sec;
    }
    return now;
}

class RealtimeClockWait : public ::testing::Test {
protected:
    ~RealtimeClockWait() override {
        pthread_cond_destroy(&cond_);
        pthread_mutex_destroy(&mutex_);
    }
    pthread_cond_t cond_ = PTHREAD_COND_INITIALIZER;
    pthread_mutex_t mutex_ = PTHREAD_MUTEX_INITIALIZER;
};

TEST_F(RealtimeClockWait, TimesOutAtAMonotonicDeadlineAndNotBefore) {
    pthread_mutex_lock(&mutex_);
    const auto start = steady_clock::now();
    const struct timespec deadline = MonotonicIn(milliseconds(40));
    int result = WaitOnRealtimeClock(&cond_, &mutex_, CLOCK_MONOTONIC, &deadline);
    // A spurious wake returns 0 early: the caller waits again, as here.
    while (result == 0) result = WaitOnRealtimeClock(&cond_, &mutex_, CLOCK_MONOTONIC, &deadline);
    const auto waited = steady_clock::now() - start;
    pthread_mutex_unlock(&mutex_);
    EXPECT_EQ(result, ETIMEDOUT);
    EXPECT_GE(waited, milliseconds(35));  // the clocks are read a little apart
    EXPECT_LT(waited, milliseconds(5000));
}

TEST_F(RealtimeClockWait, APassedDeadlineTimesOutAtOnce) {
    pthread_mutex_lock(&mutex_);
    const struct timespec passed = MonotonicIn(milliseconds(-5));
    EXPECT_EQ(WaitOnRealtimeClock(&cond_, &mutex_, CLOCK_MONOTONIC, &passed), ETIMEDOUT);
    struct timespec realtime_passed {};
    clock_gettime(CLOCK_REALTIME, &realtime_passed);
    realtime_passed.tv_sec -= 1;
    EXPECT_EQ(WaitOnRealtimeClock(&cond_, &mutex_, CLOCK_REALTIME, &realtime_passed), ETIMEDOUT);
    pthread_mutex_unlock(&mutex_);
}

TEST_F(RealtimeClockWait, ASignalWakesAWaitWithAFarDeadline) {
    // Deadlines from a few seconds to the end of time_t: no overflow on the
    // way to the real-time clock (UBSan checks it in the sanitizer build).
    const struct timespec deadlines[] = {
        MonotonicIn(milliseconds(10'000)),
        {std::numeric_limits<time_t>::max(), 999'999'999},
    };
    for (const struct timespec& deadline : deadlines) {
        bool signalled = false;
        pthread_mutex_lock(&mutex_);
        std::thread signaller([&] {
            std::this_thread::sleep_for(milliseconds(5));
            pthread_mutex_lock(&mutex_);
            signalled = true;
            pthread_cond_signal(&cond_);
            pthread_mutex_unlock(&mutex_);
        });
        const auto start = steady_clock::now();
        int result = 0;
        while (!signalled && result == 0) result = WaitOnRealtimeClock(&cond_, &mutex_, CLOCK_MONOTONIC, &deadline);
        const auto waited = steady_clock::now() - start;
        pthread_mutex_unlock(&mutex_);
        signaller.join();
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(signalled);
        EXPECT_LT(waited, milliseconds(5000));
    }
}

TEST_F(RealtimeClockWait, RefusesOtherClocksAndBadDeadlines) {
    pthread_mutex_lock(&mutex_);
    const struct timespec soon = MonotonicIn(milliseconds(1));
    EXPECT_EQ(WaitOnRealtimeClock(&cond_, &mutex_, CLOCK_PROCESS_CPUTIME_ID, &soon), EINVAL);
    const struct timespec bad_nanoseconds[] = {{soon.tv_sec, 1'000'000'000}, {soon.tv_sec, -1}};
    for (const struct timespec& bad : bad_nanoseconds) {
        EXPECT_EQ(WaitOnRealtimeClock(&cond_, &mutex_, CLOCK_MONOTONIC, &bad), EINVAL);
        EXPECT_EQ(WaitOnRealtimeClock(&cond_, &mutex_, CLOCK_REALTIME, &bad), EINVAL);
    }
    pthread_mutex_unlock(&mutex_);
}

}  // namespace
}  // namespace kelvane::tool
