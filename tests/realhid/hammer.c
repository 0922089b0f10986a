/* Several processes that use one chip at the same time, through the hidraw
 * flavour of the library, on a real HID stack (the real-HID stage runs it in
 * a virtual machine against kelvane-uhid-chip). Two checks:
 *
 *   kelvane-realhid-hammer strings COUNT SERIAL MANUFACTURER PRODUCT
 *     Three processes, started together, each read one of the chip's USB
 *     strings COUNT times (GetSerialNumber, GetUsbStringManufacturer,
 *     GetUsbStringDescriptor: the same command code, different answers) and
 *     check every answer against the string given for it. Counts per
 *     process: right, wrong (another string, reported as success), busy
 *     (-28) and other results. Passes when every call got its own string.
 *
 *   kelvane-realhid-hammer killed-holder SERIAL
 *     One process starts a long I2C read at the slowest speed, holding the
 *     chip; a second one then asks for the serial number and must wait; the
 *     first is killed (SIGKILL). Passes when the second call ends only after
 *     the kill (it waited for the holder), within 5 s of it (the kill freed
 *     the chip, long before the 35 s wait bound), with the right serial
 *     number, and an I2C write and read that follow give the EEPROM's bytes.
 *
 * Every process talks to the chip through its own copy of the library's
 * state (forked before any library call). Prints one line per process and a
 * closing "PASS ..." or "FAIL ..." line; exits with 0 only on PASS. Every
 * wait is bounded. */
#define _GNU_SOURCE
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "kelvane.h"

enum { kStringUnits = 31, kMaxCount = 100000, kShownWrong = 3 };

static int64_t NowMs(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (int64_t)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

static void SleepMs(int ms) {
    struct timespec pause = {ms / 1000, (long)(ms % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

/* The chip's string as ASCII ('?' for anything else), terminated. */
static void Narrow(const KelvaneChar* text, char* out) {
    int i = 0;
    for (; i < kStringUnits - 1 && text[i] != 0; ++i) {
        out[i] = text[i] >= 0x20 && text[i] < 0x7F ? (char)text[i] : '?';
    }
    out[i] = '\0';
}

/* Waits at most timeoutMs for the whole of size bytes from fd. */
static int ReadAll(int fd, void* buffer, size_t size, int timeoutMs) {
    size_t got = 0;
    const int64_t end = NowMs() + timeoutMs;
    while (got < size) {
        const int64_t left = end - NowMs();
        struct pollfd p = {fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, (int)left) <= 0) {
            if (left > 0 && errno == EINTR) {
                continue;
            }
            return -1;
        }
        const ssize_t n = read(fd, (char*)buffer + got, size - got);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return -1;
        }
        got += (size_t)n;
    }
    return 0;
}

/* Selects chip 0 in a fresh library state; 0 when it is there. */
static int Connect(void) {
    DllInit();
    return GetConnectionStatus() == 1 ? 0 : -1;
}

/* ---- strings ------------------------------------------------------------ */

typedef int (*StringGetter)(KelvaneChar*);

struct StringCounts {
    int right;
    int wrong;
    int busy;
    int other;
    int connected;
    int64_t ms;
};

static const char* const kStringNames[3] = {"serial number", "manufacturer", "product"};

static void ReadStrings(int which, StringGetter get, const char* expected, int count, int startFd,
                        int resultFd) {
    struct StringCounts counts = {0, 0, 0, 0, 0, 0};
    struct pollfd start = {startFd, POLLIN, 0};
    int shown = 0;
    counts.connected = Connect() == 0;
    /* All three begin when the parent closes the start pipe. */
    while (poll(&start, 1, 30000) < 0 && errno == EINTR) {
    }
    const int64_t began = NowMs();
    for (int i = 0; counts.connected && i < count; ++i) {
        KelvaneChar text[kStringUnits];
        char narrow[kStringUnits];
        memset(text, 0, sizeof text);
        const int result = get(text);
        Narrow(text, narrow);
        if (result == 0 && strcmp(narrow, expected) == 0) {
            ++counts.right;
        } else if (result == 0) {
            ++counts.wrong;
            if (shown++ < kShownWrong) {
                printf("  %s call %d: got \"%s\", reported as success\n", kStringNames[which], i + 1, narrow);
            }
        } else if (result == KELVANE_E_CHIP_BUSY) {
            ++counts.busy;
        } else {
            ++counts.other;
            if (shown++ < kShownWrong) {
                printf("  %s call %d: result %d\n", kStringNames[which], i + 1, result);
            }
        }
    }
    counts.ms = NowMs() - began;
    fflush(stdout);
    if (write(resultFd, &counts, sizeof counts) != (ssize_t)sizeof counts) {
        _exit(3);
    }
    _exit(0);
}

static int Strings(int count, const char* const expected[3]) {
    static const StringGetter getters[3] = {GetSerialNumber, GetUsbStringManufacturer, GetUsbStringDescriptor};
    int startPipe[2];
    int resultPipes[3][2];
    pid_t children[3];
    int failed = 0;
    int total[4] = {0, 0, 0, 0};
    if (pipe(startPipe) != 0) {
        return 1;
    }
    for (int w = 0; w < 3; ++w) {
        if (pipe(resultPipes[w]) != 0) {
            return 1;
        }
        fflush(stdout);
        children[w] = fork();
        if (children[w] < 0) {
            return 1;
        }
        if (children[w] == 0) {
            close(startPipe[1]);
            close(resultPipes[w][0]);
            ReadStrings(w, getters[w], expected[w], count, startPipe[0], resultPipes[w][1]);
        }
        close(resultPipes[w][1]);
    }
    /* Each child has connected before it reads the start pipe: give them a
     * moment, then start all three at once. */
    SleepMs(1000);
    close(startPipe[0]);
    close(startPipe[1]);
    for (int w = 0; w < 3; ++w) {
        struct StringCounts counts;
        int status = 0;
        /* 3 x count calls, each bounded by the 35 s wait and a transfer. */
        if (ReadAll(resultPipes[w][0], &counts, sizeof counts, 120000) != 0) {
            printf("%s reader: no result\n", kStringNames[w]);
            kill(children[w], SIGKILL);
            failed = 1;
        } else {
            printf("%s reader (\"%s\"): %d calls in %lld ms: %d right, %d wrong, %d busy (-28), %d other%s\n",
                   kStringNames[w], expected[w], count, (long long)counts.ms, counts.right, counts.wrong,
                   counts.busy, counts.other, counts.connected ? "" : " (chip not found)");
            total[0] += counts.right;
            total[1] += counts.wrong;
            total[2] += counts.busy;
            total[3] += counts.other;
            failed |= !counts.connected || counts.right != count;
        }
        waitpid(children[w], &status, 0);
        failed |= !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
    printf("%s strings: %d calls: %d right, %d wrong, %d busy (-28), %d other\n", failed ? "FAIL" : "PASS",
           3 * count, total[0], total[1], total[2], total[3]);
    return failed;
}

/* ---- killed-holder -------------------------------------------------------- */

struct WaiterResult {
    int connected;
    int result;
    char serial[kStringUnits];
    int64_t calledAt;
    int64_t endedAt;
    int writeResult;
    int readResult;
    unsigned char data[8];
};

static void Hold(int readyFd) {
    static unsigned char data[65535];
    const char ready = 'R';
    if (Connect() != 0 || write(readyFd, &ready, 1) != 1) {
        _exit(2);
    }
    /* About 33 s at the slowest speed: the chip is held throughout. */
    ReadI2cData(0xA1, data, sizeof data, 48000);
    _exit(0);
}

static void Wait(int resultFd) {
    struct WaiterResult r;
    KelvaneChar text[kStringUnits];
    static const unsigned char address = 0x00;
    memset(&r, 0, sizeof r);
    memset(text, 0, sizeof text);
    r.connected = Connect() == 0;
    r.calledAt = NowMs();
    r.result = GetSerialNumber(text);
    r.endedAt = NowMs();
    Narrow(text, r.serial);
    /* The holder's read was cut short on the chip: a transfer still works. */
    r.writeResult = WriteI2cData(0xA0, &address, 1, 400000);
    r.readResult = ReadI2cData(0xA1, r.data, sizeof r.data, 400000);
    if (write(resultFd, &r, sizeof r) != (ssize_t)sizeof r) {
        _exit(3);
    }
    _exit(0);
}

static int KilledHolder(const char* serial) {
    int ready[2];
    int result[2];
    char byte;
    struct WaiterResult r;
    int failed = 0;
    int status = 0;
    if (pipe(ready) != 0 || pipe(result) != 0) {
        return 1;
    }
    fflush(stdout);
    const pid_t holder = fork();
    if (holder == 0) {
        Hold(ready[1]);
    }
    if (holder < 0 || ReadAll(ready[0], &byte, 1, 30000) != 0) {
        printf("FAIL killed-holder: the holder did not find the chip\n");
        if (holder > 0) {
            kill(holder, SIGKILL);
            waitpid(holder, &status, 0);
        }
        return 1;
    }
    /* The holder is inside its read now. */
    SleepMs(1000);
    const pid_t waiter = fork();
    if (waiter == 0) {
        Wait(result[1]);
    }
    close(result[1]);
    SleepMs(1500);
    kill(holder, SIGKILL);
    const int64_t killedAt = NowMs();
    waitpid(holder, &status, 0);
    if (waiter < 0 || ReadAll(result[0], &r, sizeof r, 60000) != 0) {
        printf("FAIL killed-holder: no result from the waiting process\n");
        if (waiter > 0) {
            kill(waiter, SIGKILL);
            waitpid(waiter, &status, 0);
        }
        return 1;
    }
    waitpid(waiter, &status, 0);

    const int64_t waited = r.endedAt - r.calledAt;
    const int64_t afterKill = r.endedAt - killedAt;
    printf("killed-holder: GetSerialNumber gave %d (\"%s\") after %lld ms, %lld ms after the holder was killed\n",
           r.result, r.serial, (long long)waited, (long long)afterKill);
    printf("killed-holder: then I2C write %d, read %d: %u %u %u %u %u %u %u %u\n", r.writeResult, r.readResult,
           r.data[0], r.data[1], r.data[2], r.data[3], r.data[4], r.data[5], r.data[6], r.data[7]);
    if (!r.connected) {
        printf("  the waiting process did not find the chip\n");
        failed = 1;
    }
    if (r.result != 0 || strcmp(r.serial, serial) != 0) {
        printf("  expected result 0 and \"%s\"\n", serial);
        failed = 1;
    }
    if (afterKill < 0) {
        printf("  the call was served while another process held the chip\n");
        failed = 1;
    } else if (afterKill > 5000) {
        printf("  the chip was not freed when its holder was killed\n");
        failed = 1;
    }
    if (r.writeResult != 0 || r.readResult != 0) {
        failed = 1;
    }
    for (int i = 0; i < 8; ++i) {
        failed |= r.data[i] != i;
    }
    printf("%s killed-holder\n", failed ? "FAIL" : "PASS");
    return failed;
}

int main(int argc, char** argv) {
    setvbuf(stdout, NULL, _IOLBF, 0);
    if (argc == 6 && strcmp(argv[1], "strings") == 0) {
        char* end = NULL;
        const long count = strtol(argv[2], &end, 10);
        if (end != argv[2] && *end == '\0' && count > 0 && count <= kMaxCount) {
            const char* const expected[3] = {argv[3], argv[4], argv[5]};
            return Strings((int)count, expected);
        }
    } else if (argc == 3 && strcmp(argv[1], "killed-holder") == 0) {
        return KilledHolder(argv[2]);
    }
    fprintf(stderr,
            "usage: kelvane-realhid-hammer strings COUNT SERIAL MANUFACTURER PRODUCT\n"
            "       kelvane-realhid-hammer killed-holder SERIAL\n");
    return 2;
}
