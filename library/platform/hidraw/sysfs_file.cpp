#include "platform/hidraw/sysfs_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace kelvane::platform::hidraw {
namespace {

// errno values that mean "nothing there": the entry is missing, or the
// device behind it was removed between listing and reading.
bool MeansAbsent(int error) {
    return error == ENOENT || error == ENOTDIR || error == ENODEV || error == ENXIO;
}

SysfsFile Failure(int error) {
    return SysfsFile{MeansAbsent(error) ? SysfsReadStatus::kAbsent : SysfsReadStatus::kFailed, {}};
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

SysfsFile ReadSysfsFile(const std::string& path) {
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return Failure(errno);
    }
    SysfsFile file{SysfsReadStatus::kRead, {}};
    std::array<char, 4096> chunk{};
    while (file.content.size() < kMaxSysfsFileSize) {
        const std::size_t wanted = std::min(chunk.size(), kMaxSysfsFileSize - file.content.size());
        const ssize_t got = ::read(fd.get(), chunk.data(), wanted);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Failure(errno);
        }
        file.content.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return file;
}

}  // namespace kelvane::platform::hidraw
