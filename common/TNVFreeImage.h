#pragma once

#include "common/DibBitmap.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The picture loader: decodes any picture file that FreeImage recognises into a
// DibBitmap of the same pixel depth (1, 4, 8, 15, 16, 24 or 32 bits, palette kept).
// The format is taken from the file's contents, not its name; FreeImage loads with
// its default options, so a multi-page TIFF gives its first page and an animated GIF
// its first frame. FreeImage's decoded bitmap is adopted, not copied.
//
// Pictures with more than 8 bits per channel (48-bit colour, 16-bit greyscale, floating
// point and the other scientific types) are reduced to 8 bits per channel, as
// DibBitmap::FromFreeImage describes.
//
// Damaged input gives nullptr and a reason, never a crash or a huge allocation:
// the declared size is checked before the pixels are decoded, headers that are known
// to make FreeImage overrun its buffers are refused, and a JPEG or uncompressed BMP
// whose data ends early is refused rather than shown with a grey or black remainder.
//
// Decoding a picture of 8 MiB or more sets glibc's allocator thresholds for the rest of
// the process (blocks up to 32 MiB come from the heap and are reused), so that the
// pixels land on huge pages; see HugePageScope in the source for why.
class TNVFreeImage
{
public:
    // Bounds on what a picture may claim before any pixel memory is allocated.
    struct Limits
    {
        int maxSide = 30000;
        qint64 maxPixelBytes = qint64(2) << 30;
    };

    TNVFreeImage() = default;
    explicit TNVFreeImage(const Limits& limits)
        : m_limits(limits)
    {
    }

    // Decodes the picture file at path; nullptr when it does not exist, is not a
    // picture FreeImage knows, is damaged or too large, with the reason in error.
    std::unique_ptr<DibBitmap> Load(const QString& path, QString* error = nullptr) const;
    // The same for a picture held in memory (the bytes are read in place, not copied).
    std::unique_ptr<DibBitmap> LoadFromMemory(const QByteArray& bytes, QString* error = nullptr) const;

    // FreeImage's copyright text, for the About window.
    static QString CopyrightMessage();

private:
    Limits m_limits;
};
