#pragma once

#include <cstddef>
#include <new>
#include <vector>

// Working memory the size of a picture: the maps of darkness, ridge strength,
// direction and labels detection fills, a few to a few tens of megabytes each.
//
// Touching fresh memory costs about 10 us per 4 KiB page on the machines this
// runs on; for a 5-megapixel picture detection touches some 270 MB, and that
// took half its time. Huge pages (2 MiB) cut the cost to next to nothing, but
// with transparent huge pages in the kernel's "madvise" mode (the default of
// many distributions) only memory advised for them gets them. So blocks of
// 4 MiB and more are mapped on their own, aligned to 2 MiB and advised; while a
// `PictureMemoryScope` lives, freed ones are kept for reuse. Smaller blocks come
// from the heap.
// Elsewhere than on Linux, and in sanitizer builds (whose checks need their own
// allocator; the build defines PELORIX_OWN_ALLOCATOR for them), every block comes
// from the heap.
namespace detection {

void* AllocatePictureMemory(size_t bytes);
void FreePictureMemory(void* block, size_t bytes);

// Keeps freed big blocks for reuse, up to `keptBytes` in all, while it lives (a
// fresh block costs the clearing of its pages again); its end unmaps them. With
// several scopes at once the largest allowance holds until the first ends.
class PictureMemoryScope
{
public:
    explicit PictureMemoryScope(size_t keptBytes);
    ~PictureMemoryScope();
    PictureMemoryScope(const PictureMemoryScope&) = delete;
    PictureMemoryScope& operator=(const PictureMemoryScope&) = delete;
};

// Makes OpenCV's matrices take their memory from here (once per process; OpenCV
// is used by detection only).
void UsePictureMemoryForMatrices();

template <class T> struct PictureAllocator
{
    using value_type = T;
    PictureAllocator() = default;
    template <class U> PictureAllocator(const PictureAllocator<U>&) noexcept { }
    T* allocate(size_t n)
    {
        if (n > size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocatePictureMemory(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept { FreePictureMemory(p, n * sizeof(T)); }
    template <class U> bool operator==(const PictureAllocator<U>&) const noexcept { return true; }
};

template <class T> using PictureVector = std::vector<T, PictureAllocator<T>>;

} // namespace detection
