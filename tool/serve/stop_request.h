// How the server learns that it is to stop: Ctrl-C or SIGTERM on POSIX
// systems; Ctrl-C, Ctrl-Break, the console window's close, log-off or
// shut-down on Windows.
#pragma once

namespace kelvane::tool::serve {

class StopRequest {
public:
    // Takes the signals (POSIX: blocks them in this thread and every thread
    // started after, so that only Wait sees them; Windows: a console control
    // handler). Made before the server's threads start.
    StopRequest();
    ~StopRequest();
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    // Waits for a stop.
    void Wait();
    // The server has stopped: on Windows, a console that is closing waits
    // for this (at most 4 s) before the system ends the process.
    void Done();
};

}  // namespace kelvane::tool::serve
