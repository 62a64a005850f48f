#include "canvas/PictureBlock.h"

#include "canvas/StreamReader.h"
#include "canvas/StreamWriter.h"
#include "common/DibBitmap.h"
#include "common/TNVFreeImage.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kFileHeader = 14;
constexpr int kInfoHeader = 40;
constexpr int kHeaders = kFileHeader + kInfoHeader;
// The largest side accepted from a stream; the byte count bounds the area anyway.
constexpr int kMaxSide = 100000;

qint64 Stride(int width)
{
    return (static_cast<qint64>(width) * 3 + 3) & ~qint64(3);
}

uint32_t U32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t U16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void Put32(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

// Any BMP other than uncompressed 24 bits (palettes, 16 or 32 bits, RLE, newer
// headers) is decoded by the picture loader and converted.
QImage DecodeOther(const QByteArray& bytes)
{
    // The block must hold a BMP (the loader would take any format it recognises), and a
    // compressed one may not unpack to more than a generous multiple of its own size.
    if (!bytes.startsWith("BM"))
        throw CanvasStreamError("a picture in the stream is not a bitmap");
    TNVFreeImage::Limits limits;
    limits.maxPixelBytes = std::min(limits.maxPixelBytes, qint64(bytes.size()) * 1024 + (qint64(4) << 20));
    const TNVFreeImage loader(limits);
    QString error;
    auto bitmap = loader.LoadFromMemory(bytes, &error);
    if (!bitmap || !bitmap->ConvertTo24Bits())
        throw CanvasStreamError("a picture in the stream cannot be decoded");
    return PictureBlock::To24Bits(bitmap->ToQImage());
}

} // namespace

namespace PictureBlock {

QImage To24Bits(const QImage& picture)
{
    if (picture.isNull() || picture.format() == QImage::Format_BGR888)
        return picture;
    return picture.convertToFormat(QImage::Format_BGR888);
}

qint64 BmpSize(int width, int height)
{
    return kHeaders + Stride(width) * height;
}

QImage Read(StreamReader& reader)
{
    const int64_t count = reader.ReadInt64();
    if (count == 0)
        return QImage();
    if (count < 0 || count > reader.Remaining())
        throw CanvasStreamError("a picture runs past the end of the stream");
    if (count < kHeaders) {
        reader.Skip(count);
        throw CanvasStreamError("a picture too short to be a bitmap");
    }
    unsigned char header[kHeaders];
    reader.Read(header, kHeaders);
    const uint32_t offBits = U32(header + 10);
    const uint32_t infoSize = U32(header + 14);
    const auto width = static_cast<int32_t>(U32(header + 18));
    const auto rawHeight = static_cast<int32_t>(U32(header + 22));
    const uint16_t bitCount = U16(header + 28);
    const uint32_t compression = U32(header + 30);
    const auto xppm = static_cast<int32_t>(U32(header + 38));
    const auto yppm = static_cast<int32_t>(U32(header + 42));
    const qint64 height = rawHeight < 0 ? -qint64(rawHeight) : qint64(rawHeight);

    const bool plain = header[0] == 'B' && header[1] == 'M' && infoSize == kInfoHeader && bitCount == 24
        && compression == 0 && width > 0 && width <= kMaxSide && height > 0 && height <= kMaxSide && offBits >= kHeaders
        && qint64(offBits) <= count && Stride(width) * height <= count - qint64(offBits);
    if (!plain) {
        QByteArray bytes(static_cast<qsizetype>(count), Qt::Uninitialized);
        std::memcpy(bytes.data(), header, kHeaders);
        reader.Read(bytes.data() + kHeaders, count - kHeaders);
        return DecodeOther(bytes);
    }

    reader.Skip(qint64(offBits) - kHeaders);
    QImage image(width, static_cast<int>(height), QImage::Format_BGR888);
    if (image.isNull() || image.bytesPerLine() != Stride(width))
        throw CanvasStreamError("no memory for a picture in the stream");
    const qint64 stride = Stride(width);
    // BMP rows run from the bottom line up unless the height is negative.
    for (qint64 row = 0; row < height; ++row) {
        const int y = static_cast<int>(rawHeight < 0 ? row : height - 1 - row);
        reader.Read(image.scanLine(y), stride);
    }
    reader.Skip(count - qint64(offBits) - stride * height);
    if (xppm > 0)
        image.setDotsPerMeterX(xppm);
    if (yppm > 0)
        image.setDotsPerMeterY(yppm);
    return image;
}

void Write(StreamWriter& writer, const QImage& picture)
{
    if (picture.isNull()) {
        writer.WriteInt64(0);
        return;
    }
    const QImage image = To24Bits(picture);
    const int width = image.width();
    const int height = image.height();
    const qint64 stride = Stride(width);
    const qint64 size = BmpSize(width, height);
    writer.WriteInt64(size);

    unsigned char header[kHeaders] = {};
    header[0] = 'B';
    header[1] = 'M';
    Put32(header + 2, static_cast<uint32_t>(size));
    Put32(header + 10, kHeaders);
    Put32(header + 14, kInfoHeader);
    Put32(header + 18, static_cast<uint32_t>(width));
    Put32(header + 22, static_cast<uint32_t>(height));
    header[26] = 1; // planes
    header[28] = 24; // bits per pixel
    Put32(header + 34, static_cast<uint32_t>(stride * height));
    Put32(header + 38, static_cast<uint32_t>(image.dotsPerMeterX()));
    Put32(header + 42, static_cast<uint32_t>(image.dotsPerMeterY()));
    writer.Write(header, kHeaders);

    // The row padding is written as zeros rather than whatever the image holds there.
    const qint64 rowBytes = qint64(width) * 3;
    const char padding[3] = { 0, 0, 0 };
    for (int y = height - 1; y >= 0; --y) {
        writer.Write(image.constScanLine(y), rowBytes);
        writer.Write(padding, stride - rowBytes);
    }
}

} // namespace PictureBlock
