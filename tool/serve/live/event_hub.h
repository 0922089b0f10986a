// The live values' way to the clients: the streams that are open, which
// chips they watch, and the last list of chips and pin levels, which a new
// stream gets at once. At most kMostStreams streams are open at a time (each
// holds one of the HTTP server's threads).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "serve/live/event_stream.h"

namespace kelvane::tool::serve {

class EventHub {
public:
    static constexpr std::size_t kMostStreams = 6;

    // A new stream watching `chip` ("" none), with the last "chips" event
    // (and "pins" of that chip) in it; null when kMostStreams are open or
    // the hub is closed.
    std::shared_ptr<EventStream> Open(const std::string& chip);

    // The chips that open streams watch, each once, without "".
    std::vector<std::string> WatchedChips();
    bool AnyOpen();

    // The chip list (kelvane --json list), sent when it differs from the
    // last one; true when it did.
    bool PublishChips(const nlohmann::json& list);
    // A sample of the chip's ADC, to the streams watching it.
    void PublishAdc(const std::string& chip, const nlohmann::json& sample);
    // The chip's pins, sent when they differ from the last ones sent.
    void PublishPins(const std::string& chip, const nlohmann::json& pins);
    // A failure to read the watched chip (gone, or failing), once until it
    // is read again.
    void PublishChipError(const std::string& chip, const nlohmann::json& error);

    // Closes every stream, and refuses new ones.
    void CloseAll();

private:
    void PushTo(const std::string& chip, const std::string& name, const nlohmann::json& data);
    void DropClosed();

    std::mutex mutex_;
    std::vector<std::shared_ptr<EventStream>> streams_;
    nlohmann::json chips_;
    std::map<std::string, nlohmann::json> pins_;
    std::map<std::string, nlohmann::json> errors_;
    bool closed_ = false;
};

// JSON on one line, as an event's data; text that is no UTF-8 gets U+FFFD.
std::string EventData(const nlohmann::json& data);

}  // namespace kelvane::tool::serve
