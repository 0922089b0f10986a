// A wait on a POSIX condition variable until a deadline given on the
// monotonic or the real-time clock, made with pthread_cond_timedwait on the
// real-time clock, which every glibc has. The portable build of the programs
// (tool/common/glibc_2_17_waits.cpp) waits so where the C library has no
// pthread_cond_clockwait (glibc before 2.30).
#pragma once

#include <pthread.h>
#include <time.h>

namespace kelvane::tool {

// As pthread_cond_clockwait: 0 when woken, ETIMEDOUT once the deadline on
// `clock` has passed (also when it had passed before the call), EINVAL for
// a clock other than CLOCK_MONOTONIC and CLOCK_REALTIME or a deadline whose
// nanoseconds are out of range. A deadline on the monotonic clock becomes
// the same distance from now on the real-time clock: a jump of the real-time
// clock during the wait lengthens or shortens it (the caller, who checks its
// own clock after each wake, waits again for what is left).
int WaitOnRealtimeClock(pthread_cond_t* cond, pthread_mutex_t* mutex, clockid_t clock,
                        const struct timespec* deadline);

}  // namespace kelvane::tool
