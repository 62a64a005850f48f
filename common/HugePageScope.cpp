#include "common/HugePageScope.h"

#if defined(__GLIBC__) && !defined(PELORIX_OWN_ALLOCATOR)
#define PELORIX_HUGE_PAGES 1
#endif

#ifdef PELORIX_HUGE_PAGES

#include <malloc.h>
#include <sys/mman.h>

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {
constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kMinimumBytes = size_t(8) << 20;
} // namespace

HugePageScope::HugePageScope(size_t bytes)
    : m_active(bytes >= kMinimumBytes)
{
    if (!m_active)
        return;
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    const size_t reserve = bytes + 2 * kHugePage;
    if (void* probe = std::malloc(reserve)) {
        const auto start = (reinterpret_cast<uintptr_t>(probe) + kHugePage - 1) & ~(kHugePage - 1);
        const auto end = (reinterpret_cast<uintptr_t>(probe) + reserve) & ~(kHugePage - 1);
        if (end > start)
            madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
        std::free(probe);
    }
}

HugePageScope::~HugePageScope()
{
    // Any mallopt() call stops glibc from adapting its thresholds by itself, so set them
    // to where that adaptation ends up anyway: blocks up to 32 MiB come from the heap
    // and are reused, bigger ones are mappings again, and a free stretch of more than
    // 64 MiB at the top of the heap goes back to the system.
    if (m_active) {
        mallopt(M_MMAP_MAX, 65536);
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
    }
}

#else

HugePageScope::HugePageScope(size_t)
    : m_active(false)
{
}

HugePageScope::~HugePageScope()
{
    (void)m_active;
}

#endif
