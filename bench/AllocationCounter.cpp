#include "AllocationCounter.h"

#include <atomic>
#include <cstddef>
#include <malloc.h>

// glibc's own entry points; the definitions below take the public names for this program.
extern "C" void* __libc_malloc (std::size_t);
extern "C" void* __libc_calloc (std::size_t, std::size_t);
extern "C" void* __libc_realloc (void*, std::size_t);
extern "C" void* __libc_memalign (std::size_t, std::size_t);
extern "C" void __libc_free (void*);

namespace
{
std::atomic<std::uint64_t> allocations{0};
std::atomic<std::int64_t> liveBytes{0};

void* counted (void* p)
{
    allocations.fetch_add (1, std::memory_order_relaxed);
    if (p != nullptr)
        liveBytes.fetch_add ((std::int64_t) malloc_usable_size (p), std::memory_order_relaxed);
    return p;
}

void released (void* p)
{
    if (p != nullptr)
        liveBytes.fetch_sub ((std::int64_t) malloc_usable_size (p), std::memory_order_relaxed);
}
} // namespace

std::uint64_t allocationCount()
{
    return allocations.load (std::memory_order_relaxed);
}

std::int64_t liveHeapBytes()
{
    return liveBytes.load (std::memory_order_relaxed);
}

extern "C" void* malloc (std::size_t size)
{
    return counted (__libc_malloc (size));
}

extern "C" void* calloc (std::size_t n, std::size_t size)
{
    return counted (__libc_calloc (n, size));
}

extern "C" void* realloc (void* p, std::size_t size)
{
    const auto before = p != nullptr ? (std::int64_t) malloc_usable_size (p) : 0;
    auto* moved = __libc_realloc (p, size);

    if (moved == nullptr && size != 0)
        return nullptr; // p is still there, unchanged

    liveBytes.fetch_sub (before, std::memory_order_relaxed);
    return counted (moved);
}

extern "C" void* memalign (std::size_t alignment, std::size_t size)
{
    return counted (__libc_memalign (alignment, size));
}

extern "C" void* aligned_alloc (std::size_t alignment, std::size_t size)
{
    return memalign (alignment, size);
}

extern "C" int posix_memalign (void** p, std::size_t alignment, std::size_t size)
{
    *p = memalign (alignment, size);
    return *p != nullptr || size == 0 ? 0 : 12; // ENOMEM
}

extern "C" void free (void* p)
{
    released (p);
    __libc_free (p);
}
