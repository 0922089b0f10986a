#include "serve/live/event_hub.h"

#include <algorithm>

namespace kelvane::tool::serve {

std::string EventData(const nlohmann::json& data) {
    return data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void EventHub::DropClosed() {
    streams_.erase(std::remove_if(streams_.begin(), streams_.end(),
                                  [](const std::shared_ptr<EventStream>& stream) { return stream->Closed(); }),
                   streams_.end());
}

std::shared_ptr<EventStream> EventHub::Open(const std::string& chip) {
    const std::lock_guard<std::mutex> lock(mutex_);
    DropClosed();
    if (closed_ || streams_.size() >= kMostStreams) {
        return nullptr;
    }
    auto stream = std::make_shared<EventStream>(chip);
    if (!chips_.is_null()) {
        stream->Push("chips", EventData(chips_));
    }
    if (const auto pins = pins_.find(chip); pins != pins_.end()) {
        stream->Push("pins", EventData(pins->second));
    }
    streams_.push_back(stream);
    return stream;
}

std::vector<std::string> EventHub::WatchedChips() {
    const std::lock_guard<std::mutex> lock(mutex_);
    DropClosed();
    std::vector<std::string> chips;
    for (const std::shared_ptr<EventStream>& stream : streams_) {
        if (!stream->Chip().empty() &&
            std::find(chips.begin(), chips.end(), stream->Chip()) == chips.end()) {
            chips.push_back(stream->Chip());
        }
    }
    return chips;
}

bool EventHub::AnyOpen() {
    const std::lock_guard<std::mutex> lock(mutex_);
    DropClosed();
    return !streams_.empty();
}

void EventHub::PushTo(const std::string& chip, const std::string& name, const nlohmann::json& data) {
    const std::string text = EventData(data);
    for (const std::shared_ptr<EventStream>& stream : streams_) {
        if (chip.empty() || stream->Chip() == chip) {
            stream->Push(name, text);
        }
    }
}

bool EventHub::PublishChips(const nlohmann::json& list) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (list == chips_) {
        return false;
    }
    chips_ = list;
    PushTo("", "chips", list);
    return true;
}

void EventHub::PublishAdc(const std::string& chip, const nlohmann::json& sample) {
    const std::lock_guard<std::mutex> lock(mutex_);
    errors_.erase(chip);
    PushTo(chip, "adc", sample);
}

void EventHub::PublishPins(const std::string& chip, const nlohmann::json& pins) {
    const std::lock_guard<std::mutex> lock(mutex_);
    errors_.erase(chip);
    nlohmann::json& last = pins_[chip];
    if (last == pins) {
        return;
    }
    last = pins;
    PushTo(chip, "pins", pins);
}

void EventHub::PublishChipError(const std::string& chip, const nlohmann::json& error) {
    const std::lock_guard<std::mutex> lock(mutex_);
    nlohmann::json& last = errors_[chip];
    pins_.erase(chip);
    if (last == error) {
        return;
    }
    last = error;
    PushTo(chip, "chip-error", error);
}

void EventHub::CloseAll() {
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    for (const std::shared_ptr<EventStream>& stream : streams_) {
        stream->Close();
    }
    streams_.clear();
}

}  // namespace kelvane::tool::serve
