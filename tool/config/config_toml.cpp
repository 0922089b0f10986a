#include "config/config_toml.h"

#include <cstdio>
#include <sstream>

#include <toml.hpp>

#include "common/failure.h"
#include "text/utf16.h"

namespace kelvane::tool {
namespace {

constexpr std::size_t kLargestFile = 64 * 1024;
// A file of ours nests three keys deep (pins.gp0.value); tables, arrays,
// inline tables and dotted keys go no deeper than this before the text is
// refused unread, so that no file makes the parser recurse without bound.
constexpr int kDeepestNesting = 8;
constexpr std::size_t kCommentWidth = 78;

constexpr char kHeader[] =
    "# Kelvane chip configuration, as `kelvane config export` writes it.\n"
    "# `kelvane config apply FILE` writes to a chip what differs from it; keys left\n"
    "# out of a file stay as the chip has them. Every key is described in the\n"
    "# documentation of the kelvane program (docs/kelvane-tool.md).\n";

std::string Section(std::string_view name) {
    return std::string(name.substr(0, name.rfind('.')));
}

std::string Comment(std::string_view text) {
    std::string out;
    std::string line = "#";
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string_view word = text.substr(at, end - at);
        if (line.size() + 1 + word.size() > kCommentWidth && line != "#") {
            out += line + "\n";
            line = "#";
        }
        line += " ";
        line += word;
        at = end + 1;
    }
    return out + line + "\n";
}

// A TOML basic string, one line, with the escapes TOML defines; the same
// text always gives the same line, whatever it holds.
std::string TomlString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\f': out += "\\f"; break;
            case '\r': out += "\\r"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string TomlValue(const ConfigKey& key, const ConfigValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return TomlString(*text);
    }
    return ValueText(key, value);
}

// The deepest nesting outside strings and comments: of [ and {, and of the
// dots of a dotted key (counted per line; a value with a dot is refused
// later anyway).
int Nesting(std::string_view text) {
    int depth = 0;
    int deepest = 0;
    int dots = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '#') {
            i = std::min(text.find('\n', i), text.size()) - 1;
        } else if (c == '\n') {
            dots = 0;
        } else if (c == '.') {
            deepest = std::max(deepest, ++dots);
        } else if (c == '"' || c == '\'') {
            const bool triple = text.substr(i, 3) == std::string(3, c);
            const std::string close = triple ? std::string(3, c) : std::string(1, c);
            std::size_t j = i + close.size();
            while (j < text.size() && text.substr(j, close.size()) != close) {
                j += (c == '"' && text[j] == '\\') ? 2 : 1;
            }
            i = std::min(j + close.size(), text.size()) - 1;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

class FileReader {
public:
    explicit FileReader(const std::string& fileName) : fileName_(fileName) {}

    [[noreturn]] void Refuse(const std::string& problem) const { throw UsageError(fileName_ + ": " + problem); }

    void Table(const toml::table& table, const std::string& prefix, Config& config) const {
        for (const auto& [name, value] : table) {
            const std::string dotted = prefix.empty() ? name : prefix + "." + name;
            if (value.is_table()) {
                Table(value.as_table(), dotted, config);
                continue;
            }
            const ConfigKey* key = FindConfigKey(dotted);
            if (key == nullptr) {
                Refuse("unknown key " + dotted);
            }
            ConfigValue converted;
            if (value.is_integer()) {
                converted = static_cast<std::int64_t>(value.as_integer());
            } else if (value.is_boolean()) {
                converted = value.as_boolean();
            } else if (value.is_string()) {
                converted = value.as_string().str;
            } else {
                Refuse(dotted + ": an integer, true or false, or a string is needed");
            }
            const std::string problem = CheckValue(*key, converted);
            if (!problem.empty()) {
                Refuse(dotted + " = " + ValueText(*key, converted) + ": " + problem);
            }
            config[dotted] = std::move(converted);
        }
    }

private:
    std::string fileName_;
};

}  // namespace

std::string ConfigToToml(const Config& config) {
    std::string text = kHeader;
    std::string section;
    for (const ConfigKey& key : ConfigKeys()) {
        const auto found = config.find(key.name);
        if (!key.exported || found == config.end()) {
            continue;
        }
        if (Section(key.name) != section) {
            section = Section(key.name);
            text += "\n[" + section + "]\n";
        }
        if (key.comment != nullptr) {
            text += Comment(key.comment);
        }
        const std::string_view name(key.name);
        text += std::string(name.substr(name.rfind('.') + 1)) + " = " + TomlValue(key, found->second) + "\n";
    }
    return text;
}

Config ConfigFromToml(std::string_view text, const std::string& fileName) {
    const FileReader reader(fileName);
    if (text.size() > kLargestFile) {
        reader.Refuse("larger than 64 KiB: no configuration file is");
    }
    if (Nesting(text) > kDeepestNesting) {
        reader.Refuse("nested deeper than any configuration file");
    }
    // TOML is UTF-8 throughout. Checked here for the whole text, since the
    // parser's own check of a string's bytes reads outside its buffer when
    // it finds one that is not.
    if (!kelvane::text::Utf16FromUtf8(text)) {
        reader.Refuse("not UTF-8 text, which a TOML file is");
    }
    toml::value document;
    try {
        std::istringstream stream{std::string(text)};
        document = toml::parse(stream, fileName);
    } catch (const std::exception& error) {
        reader.Refuse(std::string("not TOML:\n") + error.what());
    }
    Config config;
    reader.Table(document.as_table(), "", config);
    return config;
}

}  // namespace kelvane::tool
