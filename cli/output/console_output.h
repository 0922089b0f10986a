// Console output of KelvaneCLI.
//
// Everything the program says goes to standard output through a
// ConsoleSink; nothing is written to standard error. Texts are wide and use
// a single "\n" as line end on every platform; the sink passes the line ends
// on unchanged.
#pragma once

#include <string>
#include <string_view>

namespace kelvane::cli {

class ConsoleSink {
public:
    virtual ~ConsoleSink() = default;
    virtual void Write(std::wstring_view text) = 0;
};

// Encodes text for the console in the encoding of the current LC_CTYPE
// locale, one wide character at a time. A character that has no form in
// that encoding becomes "?"; the rest of the text is still converted.
// (Where wchar_t is 16 bits wide, each half of a surrogate pair fails on its
// own and becomes "?".)
std::string NarrowForConsole(std::wstring_view text);

#ifdef _WIN32
// Writes text to a Windows console screen buffer, UTF-16 as it is, each "\n"
// as CR LF. False when the handle is no console or the console refuses
// the text.
bool WriteConsoleText(void* console, std::wstring_view text);
#endif

// Writes to the process's standard output. On Windows, when standard output
// is a console, the text goes to it as UTF-16 (WriteConsoleW), so that every
// character of a serial number shows; when it is redirected to a file or a
// pipe, the text is encoded like on other systems (NarrowForConsole, in the
// user's ANSI code page) and written in text mode, each "\n" as CR LF.
class StdoutSink final : public ConsoleSink {
public:
    void Write(std::wstring_view text) override;
};

// Keeps everything written, as wide text.
class CapturedOutput final : public ConsoleSink {
public:
    void Write(std::wstring_view text) override { text_.append(text); }
    const std::wstring& Text() const { return text_; }

private:
    std::wstring text_;
};

}  // namespace kelvane::cli
