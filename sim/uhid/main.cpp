// kelvane-uhid-chip: a virtual chip of the bench served as a real HID device
// through the kernel's /dev/uhid, so that the hidraw flavour of the library
// and the programs run against it as against a chip on USB (the real-HID
// test stage runs it in a virtual machine; it needs root, or access to
// /dev/uhid).
//
//   kelvane-uhid-chip [--bench FILE] [--phys TEXT] [--reset-absence-ms N]
//
// The chip is the first chip of the bench file (the format of
// docs/virtual-bench.md; its state, plug-file and fault lines are not used),
// or the default bench's chip KV000001. It answers on the real monotonic
// clock. SIGUSR1 unplugs the device, SIGUSR2 plugs it in again; SIGTERM and
// SIGINT end the program, which takes the device away. One line on standard
// output for each plug, unplug and reset.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "bench/bench_description.h"
#include "bench/bench_file.h"
#include "uhid/served_chip.h"
#include "uhid/uhid_device.h"

namespace {

using kelvane::sim::ServedChip;

struct Options {
    const char* benchFile = nullptr;
    std::string phys = "usb-uhid-kelvane-1/input0";
    std::uint64_t resetAbsenceMs = 500;
};

std::uint64_t NowUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

int Usage() {
    std::fprintf(stderr, "usage: kelvane-uhid-chip [--bench FILE] [--phys TEXT] [--reset-absence-ms N]\n");
    return 2;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[++i];
        if (option == "--bench") {
            options.benchFile = value;
        } else if (option == "--phys") {
            options.phys = value;
        } else if (option == "--reset-absence-ms") {
            char* end = nullptr;
            const unsigned long ms = std::strtoul(value, &end, 10);
            if (end == value || *end != '\0' || ms > 60000) {
                return false;
            }
            options.resetAbsenceMs = ms;
        } else {
            return false;
        }
    }
    return true;
}

void Say(const char* what, const ServedChip& served) {
    const kelvane::sim::DeviceIdentity identity = served.Identity();
    std::printf("kelvane-uhid-chip: %s %04x:%04x %s (%s)\n", what, identity.vendorId, identity.productId,
                identity.uniq.c_str(), identity.phys.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        return Usage();
    }
    const kelvane::sim::BenchDescription description = options.benchFile != nullptr
                                                           ? kelvane::sim::LoadBenchFile(options.benchFile)
                                                           : kelvane::sim::DefaultBenchDescription();
    kelvane::sim::Bench bench;
    kelvane::sim::BuildBench(description, bench);
    kelvane::sim::Chip* chip = nullptr;
    for (kelvane::sim::Port& port : bench.Ports()) {
        if (port.chip != nullptr) {
            chip = port.chip.get();
            break;
        }
    }
    if (chip == nullptr) {
        std::fprintf(stderr, "kelvane-uhid-chip: the bench has no chip\n");
        return 1;
    }

    sigset_t signals;
    sigemptyset(&signals);
    for (const int s : {SIGUSR1, SIGUSR2, SIGTERM, SIGINT}) {
        sigaddset(&signals, s);
    }
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
        return 1;
    }
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
    kelvane::sim::UhidDevice device;
    if (signalFd < 0 || !device.IsOpen()) {
        std::fprintf(stderr, "kelvane-uhid-chip: cannot open /dev/uhid: %s\n", std::strerror(errno));
        return 1;
    }
    ServedChip served(*chip, device, options.phys, options.resetAbsenceMs * 1000);
    if (!served.Plug()) {
        std::fprintf(stderr, "kelvane-uhid-chip: the kernel refused the device\n");
        return 1;
    }
    Say("plugged in", served);

    for (;;) {
        int timeoutMs = -1;
        if (const std::optional<std::uint64_t> returnAt = served.ReturnAtUs()) {
            const std::uint64_t now = NowUs();
            timeoutMs = *returnAt > now ? static_cast<int>((*returnAt - now + 999) / 1000) : 0;
        }
        pollfd fds[2] = {{device.Fd(), POLLIN, 0}, {signalFd, POLLIN, 0}};
        if (poll(fds, 2, timeoutMs) < 0 && errno != EINTR) {
            return 1;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            signalfd_siginfo info{};
            if (read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                if (info.ssi_signo == SIGUSR1) {
                    served.Unplug();
                    Say("unplugged", served);
                } else if (info.ssi_signo == SIGUSR2) {
                    if (!served.Plug()) {
                        std::fprintf(stderr, "kelvane-uhid-chip: the kernel refused the device\n");
                    }
                    Say("plugged in", served);
                } else {
                    served.Unplug();
                    return 0;
                }
            }
        }
        if ((fds[0].revents & POLLIN) != 0) {
            if (const auto report = device.ReadOutputReport()) {
                const std::uint64_t resetsBefore = served.Resets();
                served.OnOutputReport(*report, NowUs());
                if (served.Resets() != resetsBefore) {
                    Say("reset, away", served);
                }
            }
        }
        const bool away = !served.Present();
        served.Poll(NowUs());
        if (away && served.Present()) {
            Say("back after reset", served);
        }
    }
}
