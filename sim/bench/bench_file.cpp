#include "bench/bench_file.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bench/text_file.h"

namespace kelvane::sim {
namespace {

constexpr std::size_t kMaxPorts = 64;
constexpr std::size_t kMaxSerialCharacters = 30;
constexpr std::uint32_t kMaxCount = 1000000;
// Periods of the inputs that move with the wall clock: up to an hour;
// voltages at the ADC inputs up to 65.535 V (a reading stops at 1023).
constexpr std::uint32_t kLongestPeriodMs = 3600000;
constexpr std::uint32_t kHighestMillivolts = 65535;

using Fields = std::map<std::string, std::string, std::less<>>;

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// key=value words after the keyword; nullopt for a word without "=" or with
// a key not in allowed.
std::optional<Fields> FieldsOf(const std::vector<std::string_view>& words, std::set<std::string_view> allowed) {
    Fields fields;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::size_t equals = words[i].find('=');
        if (equals == std::string_view::npos || equals == 0) {
            return std::nullopt;
        }
        const std::string_view key = words[i].substr(0, equals);
        if (allowed.count(key) == 0) {
            return std::nullopt;
        }
        fields[std::string(key)] = std::string(words[i].substr(equals + 1));
    }
    return fields;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A hexadecimal number with an optional 0x prefix, at most max.
std::optional<std::uint32_t> Hex(std::string_view text, std::uint32_t max) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (HexDigit(c) < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint64_t>(HexDigit(c));
    }
    return value <= max ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(value)) : std::nullopt;
}

std::optional<std::uint32_t> Decimal(std::string_view text, std::uint32_t min, std::uint32_t max) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value >= min && value <= max ? std::optional<std::uint32_t>(value) : std::nullopt;
}

std::optional<bool> OnOff(std::string_view text) {
    if (text == "on") {
        return true;
    }
    if (text == "off") {
        return false;
    }
    return std::nullopt;
}

// Comma-separated hexadecimal bytes.
std::optional<std::vector<std::uint8_t>> HexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    while (!text.empty()) {
        const std::size_t comma = std::min(text.find(','), text.size());
        const std::optional<std::uint32_t> byte = Hex(text.substr(0, comma), 0xFF);
        if (!byte) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(*byte));
        text.remove_prefix(std::min(comma + 1, text.size()));
    }
    return bytes;
}

// Reads an optional field with a parser; false when present and bad.
template <typename T, typename Parse>
bool Take(const Fields& fields, std::string_view key, T& target, Parse parse) {
    const auto found = fields.find(key);
    if (found == fields.end()) {
        return true;
    }
    const auto parsed = parse(found->second);
    if (!parsed) {
        return false;
    }
    target = static_cast<T>(*parsed);
    return true;
}

auto HexUpTo(std::uint32_t max) {
    return [max](std::string_view text) { return Hex(text, max); };
}

auto DecimalIn(std::uint32_t min, std::uint32_t max) {
    return [min, max](std::string_view text) { return Decimal(text, min, max); };
}

bool TakeContents(const Fields& fields, std::size_t size, MemoryContents& contents) {
    if (!Take(fields, "fill", contents.fill, HexUpTo(0xFF)) ||
        !Take(fields, "data", contents.data, HexBytes)) {
        return false;
    }
    if (const auto pattern = fields.find("pattern"); pattern != fields.end()) {
        if (pattern->second != "index" && pattern->second != "fill") {
            return false;
        }
        contents.indexPattern = pattern->second == "index";
    }
    return contents.data.size() <= size;
}

bool TakeAddress(const Fields& fields, std::uint8_t& address7) {
    return fields.count("addr7") == 1 && Take(fields, "addr7", address7, HexUpTo(0x7F));
}

std::optional<FaultKind> FaultKindNamed(std::string_view name) {
    static const std::map<std::string_view, FaultKind> kKinds{
        {"no-answer", FaultKind::kNoAnswer},
        {"wrong-echo", FaultKind::kWrongEcho},
        {"status", FaultKind::kStatus},
        {"set-byte", FaultKind::kSetByte},
        {"write-timeout", FaultKind::kWriteTimeout},
        {"write-refused", FaultKind::kWriteRefused},
        {"write-wait-fails", FaultKind::kWriteWaitFails},
        {"read-refused", FaultKind::kReadRefused},
        {"read-wait-fails", FaultKind::kReadWaitFails},
        {"refuse", FaultKind::kRefuse},
        {"not-ready", FaultKind::kNotReady},
        {"stray", FaultKind::kStray},
        {"late-answer", FaultKind::kLateAnswer},
    };
    const auto found = kKinds.find(name);
    return found != kKinds.end() ? std::optional<FaultKind>(found->second) : std::nullopt;
}

// "<name>=<path>": the rest of the line after "=" is the path.
bool PathLine(std::string_view line, std::string_view name, std::string& path) {
    if (line.substr(0, name.size()) != name) {
        return false;
    }
    const std::string_view rest = Trim(line.substr(name.size()));
    if (rest.empty() || rest[0] != '=') {
        return false;
    }
    path = std::string(Trim(rest.substr(1)));
    return true;
}

class Parser {
public:
    bool Line(std::string_view line) {
        if (PathLine(line, "state", bench_.stateFile) || PathLine(line, "plug", bench_.plugFile)) {
            return true;
        }
        const std::vector<std::string_view> words = Words(line, " \t");
        const std::string_view keyword = words[0];
        if (keyword == "chip") {
            return Chip(words);
        }
        if (keyword == "foreign") {
            return Foreign(words);
        }
        if (CurrentChip() == nullptr) {
            return false;
        }
        if (keyword == "eeprom") {
            return Eeprom(words);
        }
        if (keyword == "smbus") {
            return Smbus(words);
        }
        if (keyword == "display") {
            return Display(words);
        }
        if (keyword == "gp") {
            return Pin(words);
        }
        if (keyword == "adc") {
            return Analog(words);
        }
        if (keyword == "fault") {
            return Fault(words);
        }
        if (keyword == "engine") {
            return Engine(words);
        }
        return false;
    }

    BenchDescription Result() && { return std::move(bench_); }

private:
    ChipDescription* CurrentChip() {
        if (bench_.ports.empty() || !bench_.ports.back().chip) {
            return nullptr;
        }
        return &*bench_.ports.back().chip;
    }

    bool AddPort(PortDescription port) {
        if (bench_.ports.size() == kMaxPorts) {
            return false;
        }
        bench_.ports.push_back(std::move(port));
        addresses_.clear();
        return true;
    }

    // A bus address may hold one device.
    bool ClaimAddress(std::uint8_t address7) { return addresses_.insert(address7).second; }

    bool Chip(const std::vector<std::string_view>& words) {
        const auto fields = FieldsOf(words, {"vid", "pid", "serial"});
        ChipDescription chip;
        if (!fields || !Take(*fields, "vid", chip.vendorId, HexUpTo(0xFFFF)) ||
            !Take(*fields, "pid", chip.productId, HexUpTo(0xFFFF))) {
            return false;
        }
        if (const auto serial = fields->find("serial"); serial != fields->end()) {
            if (serial->second.empty() || serial->second.size() > kMaxSerialCharacters) {
                return false;
            }
            for (char c : serial->second) {
                if (c < 0x21 || c > 0x7E) {
                    return false;
                }
                chip.serialNumber.push_back(static_cast<char16_t>(c));
            }
        }
        return AddPort({std::move(chip), {}});
    }

    bool Foreign(const std::vector<std::string_view>& words) {
        const auto fields = FieldsOf(words, {"id"});
        if (!fields || fields->count("id") == 0 || fields->at("id").empty()) {
            return false;
        }
        return AddPort({std::nullopt, fields->at("id")});
    }

    bool Eeprom(const std::vector<std::string_view>& words) {
        const auto fields = FieldsOf(words, {"addr7", "size", "fill", "pattern", "data", "wp"});
        EepromDescription eeprom;
        if (!fields || !TakeAddress(*fields, eeprom.address7) ||
            !Take(*fields, "size", eeprom.size, DecimalIn(1, 65536)) ||
            !TakeContents(*fields, eeprom.size, eeprom.contents) ||
            !Take(*fields, "wp", eeprom.writeProtected, OnOff) || !ClaimAddress(eeprom.address7)) {
            return false;
        }
        CurrentChip()->eeproms.push_back(std::move(eeprom));
        return true;
    }

    bool Smbus(const std::vector<std::string_view>& words) {
        const auto fields = FieldsOf(words, {"addr7", "registers", "block", "pec", "fill", "pattern", "data"});
        SmbusDescription device;
        if (!fields || !TakeAddress(*fields, device.address7) ||
            !Take(*fields, "registers", device.registers, DecimalIn(1, 256)) ||
            !Take(*fields, "block", device.blockLength, DecimalIn(0, 255)) ||
            !Take(*fields, "pec", device.pecRequired, OnOff) ||
            !TakeContents(*fields, device.registers, device.contents) || !ClaimAddress(device.address7)) {
            return false;
        }
        CurrentChip()->smbusDevices.push_back(std::move(device));
        return true;
    }

    bool Display(const std::vector<std::string_view>& words) {
        const auto fields = FieldsOf(words, {"addr7"});
        std::uint8_t address7 = 0;
        if (!fields || !TakeAddress(*fields, address7) || !ClaimAddress(address7)) {
            return false;
        }
        CurrentChip()->displays.push_back(address7);
        return true;
    }

    bool Pin(const std::vector<std::string_view>& words) {
        const auto fields = FieldsOf(words, {"pin", "designation", "direction", "value", "level", "toggle"});
        PinDescription pin;
        if (!fields || fields->count("pin") == 0 || !Take(*fields, "pin", pin.pin, DecimalIn(0, 3)) ||
            !Take(*fields, "designation", pin.config.designation, DecimalIn(0, 7)) ||
            !Take(*fields, "value", pin.config.value, DecimalIn(0, 1)) ||
            !Take(*fields, "level", pin.inputLevel, DecimalIn(0, 1)) ||
            !Take(*fields, "toggle", pin.toggleMs, DecimalIn(1, kLongestPeriodMs))) {
            return false;
        }
        if (const auto direction = fields->find("direction"); direction != fields->end()) {
            if (direction->second != "in" && direction->second != "out") {
                return false;
            }
            pin.config.direction = direction->second == "in" ? kDirectionInput : kDirectionOutput;
        }
        CurrentChip()->pins.push_back(pin);
        return true;
    }

    bool Analog(const std::vector<std::string_view>& words) {
        const auto fields = FieldsOf(words, {"channel", "wave", "min", "max", "period"});
        AnalogDescription analog;
        if (!fields || fields->count("channel") == 0 || !Take(*fields, "channel", analog.channel, DecimalIn(1, 3)) ||
            !Take(*fields, "min", analog.signal.minMv, DecimalIn(0, kHighestMillivolts)) ||
            !Take(*fields, "max", analog.signal.maxMv, DecimalIn(0, kHighestMillivolts)) ||
            !Take(*fields, "period", analog.signal.periodMs, DecimalIn(1, kLongestPeriodMs)) ||
            analog.signal.minMv > analog.signal.maxMv) {
            return false;
        }
        if (const auto wave = fields->find("wave"); wave != fields->end()) {
            static const std::map<std::string_view, Waveform> kWaves{{"constant", Waveform::kConstant},
                                                                     {"sine", Waveform::kSine},
                                                                     {"ramp", Waveform::kRamp},
                                                                     {"noise", Waveform::kNoise}};
            const auto found = kWaves.find(wave->second);
            if (found == kWaves.end()) {
                return false;
            }
            analog.signal.wave = found->second;
        }
        for (const AnalogDescription& other : CurrentChip()->analogInputs) {
            if (other.channel == analog.channel) {
                return false;
            }
        }
        CurrentChip()->analogInputs.push_back(analog);
        return true;
    }

    bool Fault(const std::vector<std::string_view>& words) {
        const auto fields = FieldsOf(words, {"kind", "command", "skip", "times", "index", "value"});
        if (!fields || fields->count("kind") == 0) {
            return false;
        }
        FaultRule rule;
        const std::optional<FaultKind> kind = FaultKindNamed(fields->at("kind"));
        if (!kind) {
            return false;
        }
        rule.kind = *kind;
        const auto command = fields->find("command");
        const bool anyCommand = command == fields->end() || command->second == "any";
        const auto forever = fields->find("times");
        const bool timesForever = forever != fields->end() && forever->second == "forever";
        if ((!anyCommand && !Take(*fields, "command", rule.command, HexUpTo(0xFF))) ||
            !Take(*fields, "skip", rule.skip, DecimalIn(0, kMaxCount)) ||
            (!timesForever && !Take(*fields, "times", rule.times, DecimalIn(0, kMaxCount))) ||
            !Take(*fields, "index", rule.index, DecimalIn(0, 63)) ||
            !Take(*fields, "value", rule.value, HexUpTo(0xFF))) {
            return false;
        }
        if (timesForever) {
            rule.times = kForever;
        }
        CurrentChip()->faults.push_back(rule);
        return true;
    }

    bool Engine(const std::vector<std::string_view>& words) {
        const auto fields = FieldsOf(words, {"state", "hung", "extra-read"});
        ChipDescription& chip = *CurrentChip();
        std::uint8_t state = 0;
        if (!fields || !Take(*fields, "state", state, HexUpTo(0xFF)) ||
            !Take(*fields, "hung", chip.busHung, OnOff) ||
            !Take(*fields, "extra-read", chip.extraReadBytes, DecimalIn(0, 65535))) {
            return false;
        }
        if (fields->count("state") != 0) {
            chip.forcedEngineState = state;
        }
        return true;
    }

    BenchDescription bench_;
    std::set<std::uint8_t> addresses_;
};

}  // namespace

std::optional<BenchDescription> ParseBenchFile(std::string_view text) {
    Parser parser;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        line = Trim(line.substr(0, line.find('#')));
        if (!line.empty() && !parser.Line(line)) {
            return std::nullopt;
        }
    }
    return std::move(parser).Result();
}

BenchDescription LoadBenchFile(const char* path) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return EmptyBenchDescription();
    }
    return ParseBenchFile(text).value_or(EmptyBenchDescription());
}

}  // namespace kelvane::sim
