// Fuzz target: the program's data files and result files.
//
// - A data file of any content is read as the write commands read it, into
//   a destination of exactly the capacity the commands give (65,536 values
//   for I2C, 65,534 for SMBus) or a small one: never more values than the
//   capacity, nothing outside the destination, the same values when read
//   again.
// - Read results made of input bytes are formatted as the program prints
//   and appends them: the header and data line equal what printf makes of
//   their formats, a result file grows by exactly that text, and reading the
//   data line back as a data file gives the very bytes that were read.
//
// Input: a first byte that picks the capacity and the result's address
// bytes, then the file text; the first bytes of the text double as the read
// result.
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "binding/library_binding.h"
#include "commands/run_context.h"
#include "options/cli_options.h"
#include "output/bus_files.h"
#include "output/console_output.h"
#include "output/data_file.h"
#include "output/read_output.h"
#include "support/byte_script.h"
#include "support/finding.h"
#include "support/guarded_buffer.h"
#include "support/scratch_folder.h"

namespace {

using namespace kelvane;

std::vector<std::uint8_t> ReadValues(const std::string& text, std::size_t capacity) {
    fuzz::GuardedBuffer<std::uint8_t> destination(capacity, 0);
    std::FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (file == nullptr) {
        // fmemopen refuses an empty buffer: such a file holds no value.
        return {};
    }
    const std::size_t count = cli::ReadDataFile(file, destination.Data(), capacity);
    const std::size_t again = cli::ReadDataFile(file, destination.Data(), capacity);
    std::fclose(file);
    if (count > capacity) {
        fuzz::Finding("%zu values read into a capacity of %zu", count, capacity);
    }
    if (again != count) {
        fuzz::Finding("the same data file gave %zu values, then %zu", count, again);
    }
    if (!destination.Intact()) {
        fuzz::Finding("reading a data file wrote outside its %zu-value destination", capacity);
    }
    return {destination.Data(), destination.Data() + count};
}

std::wstring Printf(const wchar_t* format, auto... values) {
    std::wstring text(256, L'\0');
    const int length = std::swprintf(text.data(), text.size(), format, values...);
    text.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
    return text;
}

std::string Narrow(const std::wstring& text) {
    return {text.begin(), text.end()};
}

std::string FileText(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void CheckResultOutput(const std::vector<std::uint8_t>& bytes, std::uint8_t address, std::uint8_t index,
                       bool pec) {
    const auto count = static_cast<std::int32_t>(bytes.size());
    const std::wstring i2c = cli::I2cReadHeader(count, address);
    if (i2c != Printf(L"I2C Read %d bytes, Slave = %#x \n    ", count, address)) {
        fuzz::Finding("the I2C read header differs from its format");
    }
    const wchar_t* onOff = pec ? L"On" : L"Off";
    const std::wstring smbus = cli::SmbusReadHeader(count, address, index, pec, cli::ReadOutputTarget::kFile);
    if (smbus != Printf(L"SMBus Read %d bytes, Slave = %#x, Reg Index = %#x, PEC = %ls  \n    ", count, address,
                        index, onOff) ||
        cli::SmbusReadHeader(count, address, index, pec, cli::ReadOutputTarget::kConsole) !=
            Printf(L"SMBus Read %d bytes, Slave = %#x, Reg Index = %#x, PEC = %ls\n    ", count, address, index,
                   onOff)) {
        fuzz::Finding("an SMBus read header differs from its format");
    }
    const std::wstring line = cli::ReadDataLine(bytes);
    std::wstring expected;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        expected += Printf(i + 1 < bytes.size() ? L"%#x, " : L"%#x\n", bytes[i]);
    }
    if (line != expected) {
        fuzz::Finding("the data line of %zu bytes differs from its format", bytes.size());
    }
    if (ReadValues(Narrow(line), 65536) != bytes) {
        fuzz::Finding("a data line read back as a data file does not give the bytes it shows");
    }

    // Appended to a result file twice, as two reads to one f file do.
    static cli::CliOptions options;
    const wchar_t kResult[] = L"result.txt";
    std::copy(std::begin(kResult), std::end(kResult), options.filePath.begin());
    cli::LibraryBinding library;
    cli::CapturedOutput console;
    cli::RunContext run{library, options, console};
    const std::wstring text = i2c + line;
    for (int round = 1; round <= 2; ++round) {
        if (cli::AppendToResultFile(run, text)) {
            fuzz::Finding("appending to a result file failed");
        }
    }
    if (FileText("result.txt") != Narrow(text + text)) {
        fuzz::Finding("the result file does not hold exactly the two appended results");
    }
    std::vector<std::uint8_t> loaded(65536);
    std::size_t loadedCount = 0;
    if (cli::LoadDataFile(run, L"result.txt", loaded.data(), loaded.size(), loadedCount) || loadedCount == 0) {
        fuzz::Finding("a result file could not be read back as a data file");
    }
    std::remove("result.txt");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::EnterScratchFolder("kelvane-fuzz-files");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteScript in(data, size);
    const std::uint8_t shape = in.U8();
    const std::uint8_t address = in.U8();
    const std::uint8_t index = in.U8();
    const std::string text(reinterpret_cast<const char*>(data) + (size - in.Remaining()), in.Remaining());

    static constexpr std::size_t kCapacities[] = {65536, 65534, 0, 1, 2, 3, 59, 60, 61};
    const std::size_t capacity = kCapacities[shape % std::size(kCapacities)];
    ReadValues(text, capacity);

    const std::size_t resultBytes = std::min<std::size_t>(text.size(), 1 + (shape >> 4) * 20);
    const std::vector<std::uint8_t> result(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(resultBytes));
    if (!result.empty()) {
        CheckResultOutput(result, address, index, (shape & 0x08) != 0);
    }
    return 0;
}
