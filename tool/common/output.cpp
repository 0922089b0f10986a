#include "common/output.h"

#include <cstdio>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>

#include "text/wide_text.h"
#else
#include <unistd.h>
#endif

#include "common/failure.h"

namespace kelvane::tool {
namespace {

#ifdef _WIN32
// A console takes UTF-16 whatever its code page; a file or pipe gets the
// UTF-8 bytes through the C stream, in text mode (CR LF line ends).
void Write(std::FILE* stream, DWORD handleId, std::string_view text) {
    const HANDLE handle = GetStdHandle(handleId);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode)) {
        std::fflush(stream);
        const std::wstring wide = text::WideFromUtf8Replacing(text);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}
#else
void Write(std::FILE* stream, int, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}
#endif

std::string Dump(const nlohmann::json& document) {
    // Strings that are no UTF-8 (a device path may hold any bytes) get
    // U+FFFD instead of ending the run.
    return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace

void Output::Line(const std::string& line) {
    text_ += line;
    text_ += '\n';
}

void Output::Print() {
    WriteStdout(json_ ? Dump(document_) : text_);
}

void Output::Warn(std::string_view line) const {
    if (warnings_) {
        warnings_(line);
    }
}

void Output::AddError(const Failure& failure) {
    nlohmann::json error{{"message", failure.Message()}};
    if (failure.HasCode()) {
        error["code"] = failure.Code();
        error["text"] = ResultText(failure.Code());
    }
    document_["error"] = error;
}

void Output::PrintFailed(const Failure& failure) {
    if (!json_) {
        WriteStdout(text_);
        return;
    }
    AddError(failure);
    WriteStdout(Dump(document_));
}

void WriteStdout(std::string_view text) {
#ifdef _WIN32
    Write(stdout, STD_OUTPUT_HANDLE, text);
#else
    Write(stdout, 1, text);
#endif
}

void WriteStderr(std::string_view text) {
#ifdef _WIN32
    Write(stderr, STD_ERROR_HANDLE, text);
#else
    Write(stderr, 2, text);
#endif
}

bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace kelvane::tool
