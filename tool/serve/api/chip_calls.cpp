#include "serve/api/chip_calls.h"

#include <cstdio>

#include "common/failure.h"
#include "in_process_run.h"
#include "serve/api/request_body.h"

namespace kelvane::tool::serve {
namespace {

// The library's result code for a chip that another program held longer
// than the library waits for it.
constexpr int kChipBusy = -28;
constexpr int kLastIndex = 63;

nlohmann::json ErrorDocument(const std::string& message) {
    return {{"error", {{"message", message}}}};
}

// The answer of an in-process run: 200 with its document, 400 for a usage
// error, 502 for an operation that failed on the chip or the bus, 503 for a
// chip that another program holds.
ApiAnswer AnswerOf(InProcessRun run) {
    ApiAnswer answer;
    switch (run.outcome) {
        case InProcessRun::Outcome::kSuccess:
            answer.document = std::move(run.document);
            break;
        case InProcessRun::Outcome::kUsage:
            answer.status = 400;
            answer.document = ErrorDocument(run.message);
            break;
        case InProcessRun::Outcome::kFailed:
            answer.status = run.code == kChipBusy ? 503 : 502;
            answer.document = std::move(run.document);
            break;
    }
    return answer;
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", value);
    return text;
}

}  // namespace

int ResolveChip(const nlohmann::json& list, const std::string& name) {
    const nlohmann::json& chips = list.contains("chips") ? list["chips"] : nlohmann::json::array();
    if (name.size() > 1 && name[0] == '@' && name.size() <= 3 &&
        name.find_first_not_of("0123456789", 1) == std::string::npos) {
        const int index = std::stoi(name.substr(1));
        if (index > kLastIndex || index >= static_cast<int>(chips.size())) {
            throw BadRequest(404, "no chip at index " + name.substr(1) + " (" + std::to_string(chips.size()) +
                                      " found)");
        }
        return index;
    }
    if (name.empty()) {
        throw BadRequest(404, "no chip named");
    }
    int found = -1;
    int count = 0;
    for (const nlohmann::json& chip : chips) {
        if (chip.value("serial", "") == name) {
            found = chip.value("index", -1);
            ++count;
        }
    }
    if (count == 0) {
        throw BadRequest(404, "no chip with serial number " + name + " among the " + std::to_string(chips.size()) +
                                  " found");
    }
    if (count > 1) {
        throw BadRequest(409, std::to_string(count) + " chips have the serial number " + name +
                                  "; name one by its index, @INDEX");
    }
    return found;
}

std::vector<std::string> CommonArguments(const CallDefaults& defaults, std::optional<std::uint32_t> speed) {
    return {"kelvane",
            "--json",
            "--vid=" + Hex(defaults.vendorId),
            "--pid=" + Hex(defaults.productId),
            "--speed=" + std::to_string(speed.value_or(defaults.speed))};
}

ApiAnswer ChipCalls::Submit(std::function<ApiAnswer(const Library&, LibraryUse&)> work) {
    ApiAnswer answer;
    switch (service_.Call<ApiAnswer>(std::move(work), kLongestWait, answer)) {
        case ChipService::Outcome::kDone:
            return answer;
        case ChipService::Outcome::kBusy:
            return {503, ErrorDocument("too many calls wait for the chips; try again"), std::nullopt, ""};
        case ChipService::Outcome::kStopped:
            return {503, ErrorDocument("the server is stopping"), std::nullopt, ""};
        case ChipService::Outcome::kTimedOut:
            return {504, ErrorDocument("the call did not end in time; it goes on"), std::nullopt, ""};
    }
    return answer;
}

ApiAnswer ChipCalls::List() {
    const CallDefaults defaults = defaults_;
    return Submit([defaults](const Library& library, LibraryUse& use) {
        std::vector<std::string> arguments = CommonArguments(defaults, std::nullopt);
        arguments.push_back("list");
        MemoryFiles files;
        return AnswerOf(RunInProcess(library, use, files, arguments));
    });
}

ApiAnswer ChipCalls::OnChip(const std::string& chip, const std::vector<std::string>& subcommand, CallExtras extras) {
    const CallDefaults defaults = defaults_;
    auto shared = std::make_shared<CallExtras>(std::move(extras));
    return Submit([defaults, chip, subcommand, shared](const Library& library, LibraryUse& use) {
        MemoryFiles& files = shared->files;
        std::vector<std::string> listing = CommonArguments(defaults, std::nullopt);
        listing.push_back("list");
        const InProcessRun list = RunInProcess(library, use, files, listing);
        if (list.outcome != InProcessRun::Outcome::kSuccess) {
            return AnswerOf(list);
        }
        int index = 0;
        try {
            index = ResolveChip(list.document, chip);
            if (shared->confirmSerial &&
                list.document["chips"][static_cast<std::size_t>(index)].value("serial", "") != *shared->confirmSerial) {
                throw BadRequest("the confirmation is not the chip's serial number");
            }
        } catch (const BadRequest& refused) {
            return ApiAnswer{refused.Status(), ErrorDocument(refused.what()), std::nullopt, ""};
        }
        std::vector<std::string> arguments = CommonArguments(defaults, shared->speed);
        arguments.push_back("--index=" + std::to_string(index));
        arguments.insert(arguments.end(), subcommand.begin(), subcommand.end());
        ApiAnswer answer = AnswerOf(RunInProcess(library, use, files, arguments));
        if (answer.status == 200 && !shared->fileOut.empty()) {
            const std::string* text = files.Find(shared->fileOut);
            answer.file = text != nullptr ? *text : std::string();
            answer.fileName = shared->fileOut;
        }
        return answer;
    });
}

ApiAnswer ChipCalls::OnAll(const std::vector<std::string>& subcommand, CallExtras extras) {
    const CallDefaults defaults = defaults_;
    auto shared = std::make_shared<CallExtras>(std::move(extras));
    return Submit([defaults, subcommand, shared](const Library& library, LibraryUse& use) {
        std::vector<std::string> arguments = CommonArguments(defaults, shared->speed);
        arguments.insert(arguments.end(), subcommand.begin(), subcommand.end());
        return AnswerOf(RunInProcess(library, use, shared->files, arguments));
    });
}

}  // namespace kelvane::tool::serve
