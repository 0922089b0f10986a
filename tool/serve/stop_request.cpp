#include "serve/stop_request.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <csignal>

#include <pthread.h>
#endif

namespace kelvane::tool::serve {

#ifdef _WIN32
namespace {

// What the console control handler (a thread of the system's) and the
// server's main thread share.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool stop = false;
    bool done = false;
};

Shared& State() {
    static Shared shared;
    return shared;
}

BOOL WINAPI OnControl(DWORD event) {
    Shared& shared = State();
    std::unique_lock<std::mutex> lock(shared.mutex);
    shared.stop = true;
    shared.changed.notify_all();
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The process ends when this returns: let the server stop first.
        shared.changed.wait_for(lock, std::chrono::seconds(4), [&] { return shared.done; });
    }
    return TRUE;
}

}  // namespace

StopRequest::StopRequest() {
    SetConsoleCtrlHandler(OnControl, TRUE);
}

StopRequest::~StopRequest() {
    SetConsoleCtrlHandler(OnControl, FALSE);
}

void StopRequest::Wait() {
    Shared& shared = State();
    std::unique_lock<std::mutex> lock(shared.mutex);
    shared.changed.wait(lock, [&] { return shared.stop; });
}

void StopRequest::Done() {
    Shared& shared = State();
    const std::lock_guard<std::mutex> lock(shared.mutex);
    shared.done = true;
    shared.changed.notify_all();
}

#else

namespace {

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

}  // namespace

StopRequest::StopRequest() {
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

StopRequest::~StopRequest() = default;

void StopRequest::Wait() {
    const sigset_t signals = StopSignals();
    int signal = 0;
    sigwait(&signals, &signal);
}

void StopRequest::Done() {}

#endif

}  // namespace kelvane::tool::serve
