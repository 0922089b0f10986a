// A stand-in for the hidraw class directory and its device nodes: a sysfs
// tree in a temporary directory, where each node's "device" link leads to a
// directory named as the kernel names HID devices, and a node opener that hands out one end of
// a SOCK_SEQPACKET socket pair per open, keeping the other end as the
// device's side. A responder thread can play the device: it answers every
// request written to a node on that node's latest read open.
//
// The node's lock: a socket end cannot stand for the node in flock(2), so
// the fake's locker takes the real flock on a regular file per node, through
// an open file of its own for each open of the library, as the kernel's
// flock on the node would; another process is played by an open of that file
// that holds the lock. Every lock operation and every request taken is
// numbered in one sequence, so tests can check their order.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/hidraw/hidraw_platform.h"

namespace kelvane::testing {

class FakeHidraw {
public:
    struct OpenCall {
        std::string nodePath;
        int flags = 0;
        int device = -1;   // the device's end of the socket pair
        int library = -1;  // the library's end
        int lockFile = -1;  // the open of the node's lock file that stands for this open
    };

    // A lock operation of the library, or a request taken, in the order of
    // one sequence.
    struct Event {
        std::string what;  // "lock", "unlock", "request"
        std::size_t open = 0;
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
        StopResponding();
        for (const OpenCall& call : opens_) {
            if (call.device >= 0) {
                ::close(call.device);
            }
            if (call.lockFile >= 0) {
                ::close(call.lockFile);
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

    // A node whose device uevent has the given text. The device is named
    // after the uevent's first HID_ID line, as the kernel would name it
    // ("0003:1209:4B56.0001"); without a well-formed one, in no HID form.
    void AddNode(const std::string& node, const std::string& uevent) {
        AddNodeOfDevice(node, KernelNameFor(uevent), uevent);
    }

    // A node whose "device" link leads to a directory of the given name,
    // holding the uevent.
    void AddNodeOfDevice(const std::string& node, const std::string& deviceName, const std::string& uevent) {
        const std::string device = root_ + "/devices/" + node + "/" + deviceName;
        std::filesystem::create_directories(device);
        std::ofstream(device + "/uevent") << uevent;
        std::filesystem::create_directories(ClassDir() + "/" + node);
        std::filesystem::create_directory_symlink(device, DeviceDir(node));
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

    // flock(2) as the library's backend calls it, on the lock file of the
    // node behind the library's descriptor.
    kelvane::platform::hidraw::NodeLocker Locker() {
        return [this](int fd, int operation) {
            const std::lock_guard<std::mutex> lock(mutex_);
            for (std::size_t i = 0; i < opens_.size(); ++i) {
                OpenCall& open = opens_[i];
                if (open.library != fd) {
                    continue;
                }
                if (open.lockFile < 0) {
                    open.lockFile = ::open(LockFile(open.nodePath).c_str(), O_RDONLY | O_CLOEXEC);
                }
                const int result = ::flock(open.lockFile, operation);
                const int error = errno;
                if (result == 0) {
                    events_.push_back(Event{(operation & LOCK_UN) != 0 ? "unlock" : "lock", i});
                }
                errno = error;
                return result;
            }
            errno = EBADF;
            return -1;
        };
    }

    // Another process takes the node's lock and keeps it until LetGo.
    int HoldElsewhere(const std::string& node) {
        const int fd = ::open(LockFile(NodePath(node)).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            throw std::runtime_error("cannot take the node's lock");
        }
        return fd;
    }
    static void LetGo(int holder) { ::close(holder); }

    std::vector<Event> Events() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

    void FailOpens(bool fail = true) { failOpens_ = fail; }
    // Only the opens for reading fail.
    void FailReadOpens(bool fail = true) { failReadOpens_ = fail; }

    // Every later open for reading finds this input report waiting, as if
    // the device had sent it before the node was opened.
    void QueueOnEveryReadOpen(std::vector<unsigned char> report) { queueOnReadOpen_ = std::move(report); }
    // Read from the test's thread only; the responder never changes it.
    const std::vector<OpenCall>& Opens() const { return opens_; }

    // Whether the library has closed its end of the n-th open.
    bool LibraryClosed(std::size_t open) {
        const std::lock_guard<std::mutex> lock(mutex_);
        pollfd poller{opens_.at(open).device, 0, 0};
        return ::poll(&poller, 1, 0) == 1 && (poller.revents & POLLHUP) != 0;
    }

    // Closes the device's end of the n-th open, as an unplugged device does.
    void HangUp(std::size_t open) {
        const std::lock_guard<std::mutex> lock(mutex_);
        ::close(opens_.at(open).device);
        opens_.at(open).device = -1;
    }

    // The device's side of one request: the reports it sends back, in order.
    using Responder =
        std::function<std::vector<std::vector<unsigned char>>(const std::vector<unsigned char>& request)>;

    // Starts a thread that takes every request written to a node and sends
    // the responder's reports on the node's latest open read end. The
    // responder runs on that thread and must not call the fake.
    void Respond(Responder responder) {
        StopResponding();
        responder_ = std::move(responder);
        stop_ = false;
        thread_ = std::thread([this] { Serve(); });
    }

    void StopResponding() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    // Requests the responder has taken, as written (65 bytes each).
    std::vector<std::vector<unsigned char>> Requests() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

    // For each request taken, the open it was written through.
    std::vector<std::size_t> RequestOpens() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return requestOpens_;
    }

    // Waits (at most two seconds) until the responder has sent everything
    // it had to send for its first `count` requests.
    bool WaitUntilAnswered(std::size_t count) {
        for (int waited = 0; waited < 2000 && answered_ < count; ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return answered_ >= count;
    }

    // Sends a report on the node's latest open read end now, as a device
    // does when it reports something unasked.
    void SendUnasked(const std::string& node, const std::vector<unsigned char>& report) {
        const std::lock_guard<std::mutex> lock(mutex_);
        const int end = LatestReadEnd(NodePath(node));
        if (end < 0 || ::send(end, report.data(), report.size(), MSG_NOSIGNAL) < 0) {
            throw std::runtime_error("no open read end to send on");
        }
    }

private:
    std::string DeviceDir(const std::string& node) const { return ClassDir() + "/" + node + "/device"; }

    // The regular file that stands for a node in flock(2); made on first use.
    std::string LockFile(const std::string& nodePath) const {
        const std::string file = root_ + "/locks" + nodePath.substr(DevDir().size());
        std::filesystem::create_directories(root_ + "/locks");
        std::ofstream(file, std::ios::app).flush();
        return file;
    }

    std::string KernelNameFor(const std::string& uevent) {
        const std::size_t at = uevent.find("HID_ID=");
        unsigned bus = 0;
        unsigned vendor = 0;
        unsigned product = 0;
        char end = 0;
        if (at == std::string::npos || (at != 0 && uevent[at - 1] != '\n') ||
            std::sscanf(uevent.c_str() + at, "HID_ID=%4x:%8x:%8x%c", &bus, &vendor, &product, &end) != 4 ||
            end != '\n') {
            return "not-a-hid-device";
        }
        char name[64];
        std::snprintf(name, sizeof name, "%04X:%04X:%04X.%04X", bus, vendor, product, ++instance_);
        return name;
    }

    // The device's end of the latest read open of a node; -1 when none is
    // open. Called with the mutex held.
    int LatestReadEnd(const std::string& nodePath) const {
        for (auto open = opens_.rbegin(); open != opens_.rend(); ++open) {
            if (open->nodePath == nodePath && (open->flags & O_ACCMODE) == O_RDONLY) {
                return open->device;
            }
        }
        return -1;
    }

    // The responder's loop: waits briefly for requests on the device's ends
    // of every write open, answers each, and stops when asked.
    void Serve() {
        std::vector<bool> ended;  // by open: the library closed its end
        while (!stop_) {
            std::unique_lock<std::mutex> lock(mutex_);
            std::vector<pollfd> pollers;
            std::vector<std::size_t> openOf;
            ended.resize(opens_.size(), false);
            for (std::size_t i = 0; i < opens_.size(); ++i) {
                if ((opens_[i].flags & O_ACCMODE) == O_WRONLY && opens_[i].device >= 0 && !ended[i]) {
                    pollers.push_back(pollfd{opens_[i].device, POLLIN, 0});
                    openOf.push_back(i);
                }
            }
            if (pollers.empty()) {
                lock.unlock();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            if (::poll(pollers.data(), pollers.size(), 2) <= 0) {
                continue;
            }
            for (std::size_t p = 0; p < pollers.size(); ++p) {
                if (pollers[p].revents == 0) {
                    continue;
                }
                const OpenCall& open = opens_[openOf[p]];
                std::vector<unsigned char> request(128);
                const ssize_t got = ::recv(open.device, request.data(), request.size(), MSG_DONTWAIT);
                if (got <= 0) {
                    if (got == 0) {  // the library closed its end: nothing more comes
                        ended[openOf[p]] = true;
                    }
                    continue;
                }
                request.resize(static_cast<std::size_t>(got));
                requests_.push_back(request);
                requestOpens_.push_back(openOf[p]);
                events_.push_back(Event{"request", openOf[p]});
                const int reply = LatestReadEnd(open.nodePath);
                for (const std::vector<unsigned char>& report : responder_(request)) {
                    if (reply >= 0) {
                        ::send(reply, report.data(), report.size(), MSG_NOSIGNAL);
                    }
                }
                ++answered_;
            }
        }
    }

    // Behaves as open(2) of a node would for the flags that matter here.
    int OpenNode(const std::string& nodePath, int flags) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (failOpens_ || (failReadOpens_ && (flags & O_ACCMODE) == O_RDONLY)) {
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
        opens_.push_back(OpenCall{nodePath, flags, ends[1], ends[0]});
        if ((flags & O_ACCMODE) == O_RDONLY && !queueOnReadOpen_.empty()) {
            ::send(ends[1], queueOnReadOpen_.data(), queueOnReadOpen_.size(), 0);
        }
        return ends[0];
    }

    std::string root_;
    unsigned instance_ = 0;
    bool failOpens_ = false;
    bool failReadOpens_ = false;
    std::vector<unsigned char> queueOnReadOpen_;
    // Guards opens_ against the responder thread, and requests_.
    std::mutex mutex_;
    std::vector<OpenCall> opens_;
    Responder responder_;
    std::vector<std::vector<unsigned char>> requests_;
    std::vector<std::size_t> requestOpens_;
    std::vector<Event> events_;
    std::atomic<bool> stop_{true};
    std::atomic<std::size_t> answered_{0};
    std::thread thread_;
};

}  // namespace kelvane::testing
