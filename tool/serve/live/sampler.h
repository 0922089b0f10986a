// The live values: a thread that, while event streams are open, hands the
// chip service a sampling job every 100 ms (so at most 10 a second, and
// never a second one before the first has run): the ADC channels and GP
// pins of each chip the streams watch (kelvane --json adc and gpio), and
// every 500 ms the list of chips (kelvane --json list), to the event hub.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "serve/api/chip_calls.h"
#include "serve/chip_service.h"
#include "serve/live/event_hub.h"

namespace kelvane::tool::serve {

class Sampler {
public:
    static constexpr std::chrono::milliseconds kPeriod{100};
    static constexpr int kListEvery = 5;

    Sampler(ChipService& service, EventHub& hub, const CallDefaults& defaults);
    ~Sampler();
    Sampler(const Sampler&) = delete;
    Sampler& operator=(const Sampler&) = delete;

    void Stop();

private:
    void Loop();
    void Sample(const Library& library, LibraryUse& use, bool list, const std::vector<std::string>& chips);

    ChipService& service_;
    EventHub& hub_;
    const CallDefaults defaults_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace kelvane::tool::serve
