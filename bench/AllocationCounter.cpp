#include "AllocationCounter.h"

#include <atomic>
#include <cstddef>

// glibc's own entry points; the definitions below take the public names for this program.
extern "C" void* __libc_malloc (std::size_t);
extern "C" void* __libc_calloc (std::size_t, std::size_t);
extern "C" void* __libc_realloc (void*, std::size_t);

namespace
{
std::atomic<std::uint64_t> allocations{0};

void count()
{
    allocations.fetch_add (1, std::memory_order_relaxed);
}
} // namespace

std::uint64_t allocationCount()
{
    return allocations.load (std::memory_order_relaxed);
}

extern "C" void* malloc (std::size_t size)
{
    count();
    return __libc_malloc (size);
}

extern "C" void* calloc (std::size_t n, std::size_t size)
{
    count();
    return __libc_calloc (n, size);
}

extern "C" void* realloc (void* p, std::size_t size)
{
    count();
    return __libc_realloc (p, size);
}
