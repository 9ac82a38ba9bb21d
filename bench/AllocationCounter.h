#pragma once

#include <cstdint>

/** Heap allocations made by this process so far: every malloc, calloc and realloc, which is
    where operator new and JUCE's HeapBlock both end up. */
std::uint64_t allocationCount();
