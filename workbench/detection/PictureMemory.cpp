#include "workbench/detection/PictureMemory.h"

#include <opencv2/core.hpp>

#include <cstdlib>
#include <mutex>

#if defined(__linux__) && !defined(PELORIX_OWN_ALLOCATOR)
#define PELORIX_MAPPED_BLOCKS 1
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#endif

namespace detection {

namespace {

#ifdef PELORIX_MAPPED_BLOCKS

constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kSmallestMapped = size_t(4) << 20;
// A kept block serves a request of its own size (rounded up to huge pages): the
// maps of one picture share a few sizes.

size_t MappedSize(size_t bytes)
{
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

struct Kept
{
    void* block;
    size_t size;
};

std::mutex g_keptMutex;
std::vector<Kept> g_kept;
size_t g_keptBytes = 0;
size_t g_keptLimit = 0;

void* MapBlock(size_t size)
{
    // Mapped a huge page longer, then trimmed to a huge-page boundary at both ends.
    const size_t reserve = size + kHugePage;
    void* raw = mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
    if (aligned > start)
        munmap(raw, aligned - start);
    if (const uintptr_t end = start + reserve; end > aligned + size)
        munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
    void* block = reinterpret_cast<void*>(aligned);
    madvise(block, size, MADV_HUGEPAGE); // without huge pages it stays an ordinary mapping
    return block;
}

#endif

} // namespace

void* AllocatePictureMemory(size_t bytes)
{
#ifdef PELORIX_MAPPED_BLOCKS
    if (bytes >= kSmallestMapped) {
        const size_t size = MappedSize(bytes);
        {
            const std::lock_guard<std::mutex> lock(g_keptMutex);
            const auto same = std::find_if(g_kept.begin(), g_kept.end(), [&](const Kept& k) { return k.size == size; });
            if (same != g_kept.end()) {
                void* block = same->block;
                g_keptBytes -= size;
                g_kept.erase(same);
                return block;
            }
        }
        return MapBlock(size);
    }
#endif
    if (void* block = std::malloc(bytes ? bytes : 1))
        return block;
    throw std::bad_alloc();
}

void FreePictureMemory(void* block, size_t bytes)
{
    if (!block)
        return;
#ifdef PELORIX_MAPPED_BLOCKS
    if (bytes >= kSmallestMapped) {
        const size_t size = MappedSize(bytes);
        {
            const std::lock_guard<std::mutex> lock(g_keptMutex);
            if (g_keptBytes + size <= g_keptLimit) {
                g_kept.push_back({ block, size });
                g_keptBytes += size;
                return;
            }
        }
        munmap(block, size);
        return;
    }
#else
    (void)bytes;
#endif
    std::free(block);
}

PictureMemoryScope::PictureMemoryScope(size_t keptBytes)
{
#ifdef PELORIX_MAPPED_BLOCKS
    const std::lock_guard<std::mutex> lock(g_keptMutex);
    g_keptLimit = std::max(g_keptLimit, keptBytes);
#else
    (void)keptBytes;
#endif
}

PictureMemoryScope::~PictureMemoryScope()
{
#ifdef PELORIX_MAPPED_BLOCKS
    std::vector<Kept> kept;
    {
        const std::lock_guard<std::mutex> lock(g_keptMutex);
        kept.swap(g_kept);
        g_keptBytes = 0;
        g_keptLimit = 0;
    }
    for (const Kept& k : kept)
        munmap(k.block, k.size);
#endif
}

namespace {

// OpenCV's standard matrix allocator with the data from picture memory.
// OpenCV's mark of a step it is to work out itself.
constexpr size_t kAutoStep = 0x7fffffff;

class PictureMatAllocator final : public cv::MatAllocator
{
public:
    cv::UMatData* allocate(int dims, const int* sizes, int type, void* data0, size_t* step, cv::AccessFlag,
        cv::UMatUsageFlags) const override
    {
        size_t total = CV_ELEM_SIZE(type);
        for (int i = dims - 1; i >= 0; --i) {
            if (step) {
                if (data0 && step[i] != kAutoStep) {
                    CV_Assert(total <= step[i]);
                    total = step[i];
                } else {
                    step[i] = total;
                }
            }
            total *= size_t(sizes[i]);
        }
        auto* data = static_cast<uchar*>(data0 ? data0 : AllocatePictureMemory(total));
        auto* u = new cv::UMatData(this);
        u->data = u->origdata = data;
        u->size = total;
        if (data0)
            u->flags |= cv::UMatData::USER_ALLOCATED;
        return u;
    }

    bool allocate(cv::UMatData* u, cv::AccessFlag, cv::UMatUsageFlags) const override { return u != nullptr; }

    void deallocate(cv::UMatData* u) const override
    {
        if (!u)
            return;
        CV_Assert(u->urefcount == 0 && u->refcount == 0);
        if (!(u->flags & cv::UMatData::USER_ALLOCATED))
            FreePictureMemory(u->origdata, u->size);
        delete u;
    }
};

} // namespace

void UsePictureMemoryForMatrices()
{
    static std::once_flag once;
    std::call_once(once, [] {
        static PictureMatAllocator allocator;
        cv::Mat::setDefaultAllocator(&allocator);
    });
}

} // namespace detection
