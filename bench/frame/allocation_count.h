// Counts the calls of the global operator new in this process, to show that a frame makes none.
// Mesa's llvmpipe compiles shader variants with LLVM (C++) inside the GL calls, through the same
// operator new; calls made straight from the driver's libraries are counted apart.
#pragma once

#include <cstdint>

struct AllocationCounts {
    std::uint64_t ours = 0;
    std::uint64_t driver = 0;
};

AllocationCounts CountAllocations();
