#pragma once

#include <cstddef>

// Memory for big pictures. Touching fresh memory costs about 10 us per 4 KiB page on the
// machines this runs on: 150-200 ms for the 60 MB of a 20-megapixel picture, more than
// decoding it takes. Huge pages (2 MiB) cut that to a few milliseconds, but with
// transparent huge pages in "madvise" mode the kernel only uses them where asked to, and
// FreeImage allocates with plain malloc, which hands out big blocks as fresh mappings
// that nobody advised.
//
// So while a scope for a big picture (8 MiB or more) is alive, big blocks come from the
// heap instead, and the stretch of heap the pixels will occupy is advised for huge pages
// beforehand: it is allocated (untouched), advised and freed, and the heap keeps it until
// the decoder's own allocation of about the same size takes it over a moment later. For a
// 20-megapixel JPEG this took a load from about 265 ms to 110-130 ms
// (bench/picture_load_bench.cpp). The first such scope sets glibc's allocator thresholds
// for the rest of the process (blocks up to 32 MiB come from the heap and are reused).
//
// Without glibc, or in sanitizer builds (their allocator ignores glibc's settings; the build
// defines PELORIX_OWN_ALLOCATOR for them), the scope does nothing.
class HugePageScope
{
public:
    explicit HugePageScope(size_t bytes);
    ~HugePageScope();
    HugePageScope(const HugePageScope&) = delete;
    HugePageScope& operator=(const HugePageScope&) = delete;

private:
    const bool m_active;
};
