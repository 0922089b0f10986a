// The bench of the virtual-chip flavour of the library for one process: its
// description comes from the bench file named by KELVANE_SIM_BENCH (the
// default bench when that variable is unset or empty), the chips' state
// from the state file, and the state goes back to that file when the
// session ends — with the process, after the program's last library call.
// The chips move between ports as the bench's plug file says.
#pragma once

#include <string>

#include "bench/bench.h"
#include "bench/bench_description.h"
#include "bench/plug_file.h"
#include "bench/sim_platform.h"

namespace kelvane::sim {

inline constexpr char kBenchFileVariable[] = "KELVANE_SIM_BENCH";

class VirtualBenchSession {
public:
    // benchFile null or empty: the default bench.
    explicit VirtualBenchSession(const char* benchFile);
    ~VirtualBenchSession();

    VirtualBenchSession(const VirtualBenchSession&) = delete;
    VirtualBenchSession& operator=(const VirtualBenchSession&) = delete;

    platform::Platform& Platform() { return platform_; }
    Bench& Chips() { return bench_; }
    // Writes the chips' state to the state file now.
    void Save();

private:
    BenchDescription description_;
    Bench bench_;
    PlugFilePlatform platform_{bench_, description_.plugFile};
};

}  // namespace kelvane::sim
