// A stand-in for the hidraw class directory and its device nodes: a sysfs
// tree in a temporary directory, and a node opener that hands out one end of
// a SOCK_SEQPACKET socket pair per open, keeping the other end as the
// device's side.
#pragma once

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/hidraw/hidraw_platform.h"

namespace kelvane::testing {

class FakeHidraw {
public:
    struct OpenCall {
        std::string nodePath;
        int flags = 0;
        int device = -1;  // the device's end of the socket pair
    };

    FakeHidraw() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kelvane-hidraw-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        root_ = pattern;
        std::filesystem::create_directories(ClassDir());
        std::filesystem::create_directories(DevDir());
    }

    ~FakeHidraw() {
        for (const OpenCall& call : opens_) {
            if (call.device >= 0) {
                ::close(call.device);
            }
        }
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    FakeHidraw(const FakeHidraw&) = delete;
    FakeHidraw& operator=(const FakeHidraw&) = delete;

    std::string ClassDir() const { return root_ + "/class"; }
    std::string DevDir() const { return root_ + "/dev"; }
    std::string NodePath(const std::string& node) const { return DevDir() + "/" + node; }

    // A node whose device uevent has the given text.
    void AddNode(const std::string& node, const std::string& uevent) {
        std::filesystem::create_directories(DeviceDir(node));
        std::ofstream(DeviceDir(node) + "/uevent") << uevent;
    }

    // A node with the HID_ID and HID_PHYS lines of a HID device.
    void AddHidNode(const std::string& node, const std::string& hidId, const std::string& phys) {
        AddNode(node, "DRIVER=hid-generic\nHID_ID=" + hidId + "\nHID_NAME=Kelvane bridge\nHID_PHYS=" +
                          phys + "\nHID_UNIQ=\n");
    }

    void AddNodeWithoutUevent(const std::string& node) {
        std::filesystem::create_directories(DeviceDir(node));
    }

    // A node whose uevent is there but fails to read (it is a directory).
    void AddNodeWithUnreadableUevent(const std::string& node) {
        std::filesystem::create_directories(DeviceDir(node) + "/uevent");
    }

    void RemoveNode(const std::string& node) {
        std::filesystem::remove_all(ClassDir() + "/" + node);
    }

    kelvane::platform::HidrawPlatform::NodeOpener Opener() {
        return [this](const std::string& nodePath, int flags) { return OpenNode(nodePath, flags); };
    }

    void FailOpens() { failOpens_ = true; }

    // Every later open for reading finds this input report waiting, as if
    // the device had answered already.
    void AnswerEveryReadOpenWith(std::vector<unsigned char> report) { answerOnReadOpen_ = std::move(report); }
    const std::vector<OpenCall>& Opens() const { return opens_; }

    // Closes the device's end of the n-th open, as an unplugged device does.
    void HangUp(std::size_t open) {
        ::close(opens_.at(open).device);
        opens_.at(open).device = -1;
    }

private:
    std::string DeviceDir(const std::string& node) const { return ClassDir() + "/" + node + "/device"; }

    // Behaves as open(2) of a node would for the flags that matter here.
    int OpenNode(const std::string& nodePath, int flags) {
        if (failOpens_) {
            errno = ENOENT;
            return -1;
        }
        int ends[2] = {-1, -1};
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) {
            return -1;
        }
        if ((flags & O_NONBLOCK) != 0) {
            ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
        }
        opens_.push_back(OpenCall{nodePath, flags, ends[1]});
        if ((flags & O_ACCMODE) == O_RDONLY && !answerOnReadOpen_.empty()) {
            ::send(ends[1], answerOnReadOpen_.data(), answerOnReadOpen_.size(), 0);
        }
        return ends[0];
    }

    std::string root_;
    bool failOpens_ = false;
    std::vector<unsigned char> answerOnReadOpen_;
    std::vector<OpenCall> opens_;
};

}  // namespace kelvane::testing
