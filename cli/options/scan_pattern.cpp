#include "options/scan_pattern.h"

#include <optional>

namespace kelvane::cli {
namespace {

constexpr std::size_t kNoWidth = std::numeric_limits<std::size_t>::max();

enum class DirectiveKind { Literal, Set, Text, Decimal, Hex };

struct Directive {
    DirectiveKind kind = DirectiveKind::Literal;
    wchar_t literal = 0;
    bool suppress = false;
    std::size_t width = kNoWidth;
    bool negated = false;
    std::wstring_view set;
};

class Cursor {
public:
    explicit Cursor(std::wstring_view text) : text_(text) {}
    bool AtEnd() const { return pos_ >= text_.size(); }
    wchar_t Peek(std::size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : L'\0';
    }
    bool Has(std::size_t ahead) const { return pos_ + ahead < text_.size(); }
    void Advance(std::size_t count = 1) { pos_ += count; }

private:
    std::wstring_view text_;
    std::size_t pos_ = 0;
};

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

int DigitValue(wchar_t c, int base) {
    int value = -1;
    if (c >= L'0' && c <= L'9') {
        value = c - L'0';
    } else if (c >= L'a' && c <= L'f') {
        value = c - L'a' + 10;
    } else if (c >= L'A' && c <= L'F') {
        value = c - L'A' + 10;
    }
    return value < base ? value : -1;
}

void SkipSpace(Cursor& in) {
    while (!in.AtEnd() && IsSpace(in.Peek())) {
        in.Advance();
    }
}

// Parses the directive that starts at pattern[pos] and moves pos past it.
std::optional<Directive> NextDirective(std::wstring_view pattern, std::size_t& pos) {
    Directive d;
    if (pattern[pos] != L'%') {
        d.literal = pattern[pos++];
        return d;
    }
    ++pos;
    if (pos < pattern.size() && pattern[pos] == L'*') {
        d.suppress = true;
        ++pos;
    }
    if (pos < pattern.size() && pattern[pos] >= L'0' && pattern[pos] <= L'9') {
        std::size_t width = 0;
        while (pos < pattern.size() && pattern[pos] >= L'0' && pattern[pos] <= L'9') {
            width = width * 10 + static_cast<std::size_t>(pattern[pos++] - L'0');
            if (width > 1000000) {
                return std::nullopt;
            }
        }
        if (width == 0) {
            return std::nullopt;
        }
        d.width = width;
    }
    if (pos < pattern.size() && pattern[pos] == L'l') {
        ++pos;
    }
    if (pos >= pattern.size()) {
        return std::nullopt;
    }
    const wchar_t conversion = pattern[pos++];
    switch (conversion) {
    case L'd':
        d.kind = DirectiveKind::Decimal;
        return d;
    case L'x':
        d.kind = DirectiveKind::Hex;
        return d;
    case L's':
        d.kind = DirectiveKind::Text;
        return d;
    case L'[': {
        d.kind = DirectiveKind::Set;
        if (pos < pattern.size() && pattern[pos] == L'^') {
            d.negated = true;
            ++pos;
        }
        const std::size_t close = pattern.find(L']', pos);
        if (close == std::wstring_view::npos || close == pos) {
            return std::nullopt;
        }
        d.set = pattern.substr(pos, close - pos);
        pos = close + 1;
        return d;
    }
    default:
        return std::nullopt;
    }
}

std::optional<std::vector<Directive>> ParsePattern(std::wstring_view pattern) {
    std::vector<Directive> directives;
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        std::optional<Directive> d = NextDirective(pattern, pos);
        if (!d) {
            return std::nullopt;
        }
        directives.push_back(*d);
    }
    return directives;
}

bool Stores(const Directive& d) {
    return d.kind != DirectiveKind::Literal && !d.suppress;
}

// Reads a number in the given base; see the header for the rules.
std::optional<std::int32_t> ScanNumber(Cursor& in, std::size_t width, int base) {
    SkipSpace(in);
    std::size_t used = 0;
    bool negative = false;
    if (!in.AtEnd() && (in.Peek() == L'+' || in.Peek() == L'-')) {
        negative = in.Peek() == L'-';
        in.Advance();
        ++used;
    }
    bool anyDigit = false;
    if (base == 16 && width - used >= 2 && in.Peek() == L'0' && in.Has(1) &&
        (in.Peek(1) == L'x' || in.Peek(1) == L'X')) {
        in.Advance(2);
        used += 2;
        anyDigit = true;
    }
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t magnitude = 0;
    while (used < width && !in.AtEnd() && DigitValue(in.Peek(), base) >= 0) {
        magnitude = magnitude * static_cast<std::uint64_t>(base) +
                    static_cast<std::uint64_t>(DigitValue(in.Peek(), base));
        if (magnitude > limit) {
            return std::nullopt;
        }
        in.Advance();
        ++used;
        anyDigit = true;
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative) {
        bits = 0u - bits;
    }
    return static_cast<std::int32_t>(bits);
}

bool InSet(const Directive& d, wchar_t c) {
    const bool listed = d.set.find(c) != std::wstring_view::npos;
    return d.negated ? !listed : listed;
}

// Reads the characters of a %s or %[ directive: at least one, at most the
// width. Returns the number of characters read; text receives them unless
// the directive is suppressed.
std::size_t ScanCharacters(Cursor& in, const Directive& d, std::wstring& text) {
    if (d.kind == DirectiveKind::Text) {
        SkipSpace(in);
    }
    std::size_t count = 0;
    while (count < d.width && !in.AtEnd()) {
        const wchar_t c = in.Peek();
        const bool accepted = d.kind == DirectiveKind::Text ? !IsSpace(c) : InSet(d, c);
        if (!accepted) {
            break;
        }
        if (!d.suppress) {
            text.push_back(c);
        }
        in.Advance();
        ++count;
    }
    return count;
}

// Runs one directive. Returns false when it does not match; a stored value
// is appended to values.
bool RunDirective(Cursor& in, const Directive& d, std::size_t textCapacity, std::vector<ScanValue>& values) {
    switch (d.kind) {
    case DirectiveKind::Literal:
        if (in.AtEnd() || in.Peek() != d.literal) {
            return false;
        }
        in.Advance();
        return true;
    case DirectiveKind::Decimal:
    case DirectiveKind::Hex: {
        const std::optional<std::int32_t> number = ScanNumber(in, d.width, d.kind == DirectiveKind::Hex ? 16 : 10);
        if (!number) {
            return false;
        }
        if (!d.suppress) {
            values.emplace_back(*number);
        }
        return true;
    }
    case DirectiveKind::Set:
    case DirectiveKind::Text: {
        std::wstring text;
        const std::size_t count = ScanCharacters(in, d, text);
        if (count == 0) {
            return false;
        }
        if (!d.suppress) {
            // The text and its terminator must fit the destination.
            if (count >= textCapacity) {
                return false;
            }
            values.emplace_back(std::move(text));
        }
        return true;
    }
    }
    return false;
}

}  // namespace

ScanResult ScanPattern(std::wstring_view text, std::wstring_view pattern, std::size_t textCapacity) {
    ScanResult result;
    const std::optional<std::vector<Directive>> directives = ParsePattern(pattern);
    if (!directives) {
        return result;
    }
    std::size_t needed = directives->size();
    for (std::size_t i = directives->size(); i > 0; --i) {
        if (Stores((*directives)[i - 1])) {
            needed = i;
            break;
        }
    }
    Cursor in(text);
    std::size_t done = 0;
    while (done < needed && RunDirective(in, (*directives)[done], textCapacity, result.values)) {
        ++done;
    }
    result.complete = done == needed;
    return result;
}

}  // namespace kelvane::cli
