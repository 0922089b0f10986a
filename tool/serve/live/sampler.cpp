#include "serve/live/sampler.h"

#include "in_process_run.h"

namespace kelvane::tool::serve {
namespace {

// Seconds since 1970, to the millisecond: the time axis of the page's plot.
double WallSeconds() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) / 1000.0;
}

// --index=N for "@N", else --serial=SN.
std::string ChipOption(const std::string& chip) {
    if (chip.size() > 1 && chip[0] == '@' && chip.find_first_not_of("0123456789", 1) == std::string::npos) {
        return "--index=" + chip.substr(1);
    }
    return "--serial=" + chip;
}

}  // namespace

Sampler::Sampler(ChipService& service, EventHub& hub, const CallDefaults& defaults)
    : service_(service), hub_(hub), defaults_(defaults), thread_([this] { Loop(); }) {}

Sampler::~Sampler() {
    Stop();
}

void Sampler::Stop() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void Sampler::Loop() {
    auto next = std::chrono::steady_clock::now();
    for (int tick = 0;; ++tick) {
        next += kPeriod;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (wake_.wait_until(lock, next, [this] { return stopping_; })) {
                return;
            }
        }
        const auto now = std::chrono::steady_clock::now();
        if (now > next + kPeriod) {
            next = now;  // the service was busy: no catching up
        }
        if (!hub_.AnyOpen()) {
            tick = -1;  // the list first, when a stream opens
            continue;
        }
        const bool list = tick % kListEvery == 0;
        const std::vector<std::string> chips = hub_.WatchedChips();
        service_.Run([this, list, chips](const Library& library,
                                         LibraryUse& use) { Sample(library, use, list, chips); },
                     std::chrono::seconds(5));
    }
}

void Sampler::Sample(const Library& library, LibraryUse& use, bool list, const std::vector<std::string>& chips) {
    MemoryFiles files;
    if (list) {
        std::vector<std::string> arguments = CommonArguments(defaults_, std::nullopt);
        arguments.push_back("list");
        const InProcessRun run = RunInProcess(library, use, files, arguments);
        if (run.outcome == InProcessRun::Outcome::kSuccess) {
            hub_.PublishChips(run.document);
        }
    }
    for (const std::string& chip : chips) {
        std::vector<std::string> arguments = CommonArguments(defaults_, std::nullopt);
        arguments.push_back(ChipOption(chip));
        arguments.push_back("adc");
        InProcessRun adc = RunInProcess(library, use, files, arguments);
        if (adc.outcome != InProcessRun::Outcome::kSuccess) {
            nlohmann::json error = adc.document.value("error", nlohmann::json{{"message", adc.message}});
            hub_.PublishChipError(chip, {{"chip", chip}, {"error", error}});
            continue;
        }
        adc.document["time"] = WallSeconds();
        hub_.PublishAdc(chip, adc.document);
        arguments.back() = "gpio";
        const InProcessRun gpio = RunInProcess(library, use, files, arguments);
        if (gpio.outcome == InProcessRun::Outcome::kSuccess) {
            hub_.PublishPins(chip, gpio.document);
        }
    }
}

}  // namespace kelvane::tool::serve
