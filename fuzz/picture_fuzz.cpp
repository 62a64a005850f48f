// Feeds arbitrary bytes to the picture loader, as a damaged picture file or a damaged
// bitmap inside a canvas file would reach it, and uses what it returns.
#include "common/TNVFreeImage.h"

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define PELORIX_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELORIX_LEAK_CHECKS 1
#endif
#endif
#ifdef PELORIX_LEAK_CHECKS
#include <sanitizer/lsan_interface.h>
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Smaller bounds than the program's keep every input fast; the checks are the same.
    static const TNVFreeImage loader(TNVFreeImage::Limits { .maxSide = 8192, .maxPixelBytes = 64 << 20 });
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
#ifdef PELORIX_LEAK_CHECKS
    // FreeImage 3.18's XPM reader leaks a line buffer whenever it gives up on a damaged file.
    // Leave that out of the leak report, or the fuzzer stops there instead of looking on.
    const bool knownLeak = bytes.startsWith("/* XPM */");
    if (knownLeak)
        __lsan_disable();
    auto bitmap = loader.LoadFromMemory(bytes, &error);
    if (knownLeak)
        __lsan_enable();
#else
    auto bitmap = loader.LoadFromMemory(bytes, &error);
#endif
    if (!bitmap) {
        // A refusal always says why.
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    const int bpp = bitmap->Bpp();
    const bool knownDepth = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 15 || bpp == 16 || bpp == 24 || bpp == 32;
    if (!knownDepth || (bpp <= 8) != (bitmap->PaletteSize() > 0) || bitmap->Pitch() % 4 != 0)
        std::abort();
    const QImage image = bitmap->ToQImage();
    if (image.width() != bitmap->Width() || image.height() != bitmap->Height())
        std::abort();
    if (!bitmap->ConvertTo24Bits() || bitmap->Bpp() != 24)
        std::abort();
    return 0;
}
