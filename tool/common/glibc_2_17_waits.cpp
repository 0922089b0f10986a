// Linked into the programs of the portable build (the Linux tarball, option
// KELVANE_GLIBC_2_17_PROGRAMS), which run with any glibc from 2.17 on.
//
// libstdc++ built against glibc 2.30 or later waits on a condition variable
// until a steady-clock deadline (std::condition_variable::wait_for and
// wait_until, as the server's threads use them) with pthread_cond_clockwait,
// which older C libraries do not have. The program's own definition below
// takes those calls, so that the program asks the C library for nothing
// newer than GLIBC_2.17; it waits as libstdc++ does where that function is
// missing: on the real-time clock, for what is left until the deadline.
#include <pthread.h>
#include <time.h>

#include "common/realtime_clock_wait.h"

extern "C" int pthread_cond_clockwait(pthread_cond_t* cond, pthread_mutex_t* mutex, clockid_t clock,
                                      const struct timespec* deadline) {
    return kelvane::tool::WaitOnRealtimeClock(cond, mutex, clock, deadline);
}
