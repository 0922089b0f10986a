// Counts the heap allocations of the whole benchmark program (the global
// operator new is replaced in allocation_counter.cpp).
#pragma once

#include <cstdint>

namespace kelvane::bench {

std::uint64_t AllocationCount();

}  // namespace kelvane::bench
