#pragma once

#include <cstdint>

/** Heap allocations made by this process so far: every malloc, calloc, realloc and aligned
    allocation, which is where operator new and JUCE's HeapBlock both end up. */
std::uint64_t allocationCount();

/** The bytes this process holds on the heap now, as the allocator counts them. */
std::int64_t liveHeapBytes();
