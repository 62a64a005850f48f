// Feeds arbitrary bytes to the picture loader, as a damaged picture file or a damaged
// bitmap inside a canvas file would reach it, and uses what it returns. Formats other
// than JPEG, PNG, BMP and TIFF go to the separate decoder process, so its limits, its
// deadline and the way its crashes are reported are exercised too.
#include "common/TNVFreeImage.h"

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Smaller bounds than the program's keep every input fast; the checks are the same.
    static const TNVFreeImage::Limits limits {
        .maxPixels = 16'000'000, .maxSide = 8192, .maxPixelBytes = 64 << 20, .isolatedMilliseconds = 1000
    };
    static const TNVFreeImage loader(limits);
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    // The decoder process is killed at its deadline (1 s and 25 ms per declared megapixel, at
    // most 16 here), well inside libFuzzer's -timeout (10 s in scripts/fuzz), which reports a
    // deadline that did not hold. It is wall-clock time: on a loaded machine under nice 19 a
    // check of its own here would report the machine, not the loader.
    auto bitmap = loader.LoadFromMemory(bytes, &error);
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
    // Nothing bigger than the limits ever comes back, from either path.
    if (bitmap->Width() > limits.maxSide || bitmap->Height() > limits.maxSide
        || qint64(bitmap->Width()) * bitmap->Height() > limits.maxPixels)
        std::abort();
    const QImage image = bitmap->ToQImage();
    if (image.width() != bitmap->Width() || image.height() != bitmap->Height())
        std::abort();
    if (!bitmap->ConvertTo24Bits() || bitmap->Bpp() != 24)
        std::abort();
    return 0;
}
