#include "output/bus_files.h"

#include <string>

#include "commands/exit_codes.h"
#include "output/data_file.h"
#include "output/text_file.h"

namespace kelvane::cli {
namespace {

constexpr const wchar_t* kOpenFailed = L"Error opening file.\n";
constexpr const wchar_t* kCloseFailed = L"Error closing file.\n";

// The result texts are ASCII.
std::string AsciiText(std::wstring_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (wchar_t c : text) {
        narrow.push_back(static_cast<char>(c));
    }
    return narrow;
}

}  // namespace

StepResult AppendToResultFile(RunContext& run, std::wstring_view text) {
    std::FILE* file = OpenTextFile(run.options.filePath.data(), TextFileMode::kAppend);
    if (file == nullptr) {
        run.console.Write(kOpenFailed);
        return kExitFileOpen;
    }
    const std::string narrow = AsciiText(text);
    std::fwrite(narrow.data(), 1, narrow.size(), file);
    run.fileAppended = true;
    if (!CloseTextFile(file)) {
        run.console.Write(kCloseFailed);
        return kExitFileClose;
    }
    run.console.Write(L"Data read to file.\n");
    return std::nullopt;
}

std::wstring_view WriteDataFilePath(const RunContext& run, const wchar_t* ownPath) {
    if (ownPath[0] != L'\0') {
        return ownPath;
    }
    if (run.options.filePath[0] != L'\0' && !run.fileAppended) {
        return run.options.filePath.data();
    }
    return {};
}

StepResult LoadDataFile(RunContext& run, std::wstring_view path, std::uint8_t* destination, std::size_t capacity,
                        std::size_t& count) {
    std::FILE* file = OpenTextFile(path, TextFileMode::kRead);
    if (file == nullptr) {
        run.console.Write(kOpenFailed);
        return kExitFileOpen;
    }
    count = ReadDataFile(file, destination, capacity);
    run.console.Write(L"Data read from file.\n");
    if (!CloseTextFile(file)) {
        run.console.Write(kCloseFailed);
    }
    return std::nullopt;
}

}  // namespace kelvane::cli
