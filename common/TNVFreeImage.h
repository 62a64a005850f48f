#pragma once

#include "common/DibBitmap.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The picture loader: decodes a picture file into a DibBitmap of the same pixel depth
// (1, 4, 8, 15, 16, 24 or 32 bits, palette kept). The format is taken from the file's
// contents, never its name: a file whose contents are no picture FreeImage recognises is
// refused. FreeImage loads with its default options, so a multi-page TIFF gives its first
// page and an animated GIF its first frame.
//
// Pictures with more than 8 bits per channel (48-bit colour, 16-bit greyscale, floating
// point and the other scientific types) are reduced to 8 bits per channel, as
// DibBitmap::FromFreeImage describes.
//
// Damaged input gives nullptr and a reason, never a crash, a hang or a huge allocation:
// - before any decoder runs, our own header readers (PictureHeader) read the declared size
//   and refuse a picture over the limits, and refuse files whose data ends before the
//   picture is complete (for JPEG, libjpeg's own complaint decides);
// - JPEG, PNG, BMP and TIFF, the formats cameras write, are decoded in this process,
//   without copies; FreeImage's decoded bitmap is adopted;
// - every other format is decoded by the program pelorix-picture-decoder beside this one,
//   a short-lived process with limits on its memory and processor time and a deadline;
//   when it crashes, runs out of its limits or takes too long, the picture is refused
//   ("picture could not be read") and this process carries on. The pixels come back
//   through the process's output and are copied once.
//
// Decoding a picture of 8 MiB or more in this process sets glibc's allocator thresholds
// for the rest of the process; see HugePageScope.h.
class TNVFreeImage
{
public:
    // Bounds on what a picture may claim before any pixel memory is allocated.
    struct Limits
    {
        // Callers make a 24-bit copy of every picture (3 bytes a pixel, 600 MB at the
        // default), besides what the decoder allocates.
        qint64 maxPixels = 200'000'000;
        int maxSide = 30000;
        // The decoder's own buffer, at the depth it decodes to.
        qint64 maxPixelBytes = qint64(2) << 30;
        // Time a separate decoder process gets for a small picture; bigger ones get 25 ms
        // more per megapixel they declare.
        int isolatedMilliseconds = 1500;
    };

    // The limits of TNVFreeImage(): the built-in ones unless SetDefaultLimits changed them.
    static Limits DefaultLimits();
    static void SetDefaultLimits(const Limits& limits);
    // The built-in limits with the settings of an INI file applied: in section "Settings",
    // MaxPictureMegapixels (1 to 2000). A missing file or key keeps the built-in value.
    static Limits LimitsFromIni(const QString& iniPath);

    TNVFreeImage()
        : m_limits(DefaultLimits())
    {
    }
    explicit TNVFreeImage(const Limits& limits)
        : m_limits(limits)
    {
    }

    // Decodes the picture file at path; nullptr when it does not exist, is not a picture
    // Pelorix can read, is damaged or too large, with the reason in error.
    std::unique_ptr<DibBitmap> Load(const QString& path, QString* error = nullptr) const;
    // The same for a picture held in memory (read in place; a picture decoded in a separate
    // process gets the bytes through its input).
    std::unique_ptr<DibBitmap> LoadFromMemory(const QByteArray& bytes, QString* error = nullptr) const;

    // FreeImage's copyright text, for the About window.
    static QString CopyrightMessage();

private:
    Limits m_limits;
};
