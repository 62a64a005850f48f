#include "common/PictureHeader.h"

#include <FreeImage.h>

#include <QRegularExpression>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Reads fields from a block of bytes, never past its end: a read beyond it yields zeros
// and leaves the reader failed for good.
class Reader
{
public:
    explicit Reader(QByteArrayView bytes, qint64 position = 0)
        : m_data(reinterpret_cast<const quint8*>(bytes.data()))
        , m_size(bytes.size())
        , m_pos(position)
        , m_ok(position >= 0 && position <= bytes.size())
    {
    }
    bool Ok() const { return m_ok; }
    qint64 Pos() const { return m_pos; }
    qint64 Size() const { return m_size; }
    qint64 Left() const { return m_ok ? m_size - m_pos : 0; }
    bool AtEnd() const { return Left() <= 0; }
    const quint8* Here() const { return m_data + m_pos; }

    void Skip(qint64 count) { Seek(m_pos + count, count); }
    void Seek(qint64 position) { Seek(position, 0); }
    QByteArrayView Bytes(qint64 count)
    {
        const qint64 start = m_pos;
        Skip(count);
        return m_ok ? QByteArrayView(reinterpret_cast<const char*>(m_data + start), count) : QByteArrayView();
    }
    quint32 U8() { return Unsigned(1, false); }
    quint32 U16Le() { return Unsigned(2, false); }
    quint32 U16Be() { return Unsigned(2, true); }
    quint32 U32Le() { return Unsigned(4, false); }
    quint32 U32Be() { return Unsigned(4, true); }
    quint32 U(int size, bool bigEndian) { return Unsigned(size, bigEndian); }

private:
    void Seek(qint64 position, qint64 count)
    {
        m_ok = m_ok && count >= 0 && position >= 0 && position <= m_size;
        if (m_ok)
            m_pos = position;
    }
    quint32 Unsigned(int size, bool bigEndian)
    {
        if (!m_ok || m_size - m_pos < size) {
            m_ok = false;
            return 0;
        }
        quint32 value = 0;
        for (int i = 0; i < size; ++i)
            value = (value << 8) | m_data[m_pos + (bigEndian ? i : size - 1 - i)];
        m_pos += size;
        return value;
    }

    const quint8* m_data;
    qint64 m_size;
    qint64 m_pos = 0;
    bool m_ok;
};

PictureHeader Sized(qint64 width, qint64 height, double bitsPerPixel)
{
    PictureHeader header;
    header.sizeKnown = true;
    header.width = width;
    header.height = height;
    header.decodeBitsPerPixel = bitsPerPixel;
    return header;
}

PictureHeader Damaged(const QString& problem)
{
    PictureHeader header;
    header.problem = problem;
    return header;
}

// The file is shorter than the data its header describes.
QString EndsEarly(const char* format, qint64 has, double needs)
{
    return QString("%1 data ends early: the file has %2 bytes, its header needs %3 (truncated file)")
        .arg(QLatin1String(format))
        .arg(has)
        .arg(needs, 0, 'f', 0);
}

// The header ends before the size it declares.
PictureHeader HeaderEndsEarly(const char* format)
{
    return Damaged(QString("%1 header ends early (truncated file)").arg(QLatin1String(format)));
}

bool Incomplete(qint64 size, double needed)
{
    // In floating point: a damaged header may claim sizes whose product overflows.
    return double(size) < needed;
}

// ---- The four formats cameras write ----

PictureHeader ReadJpeg(QByteArrayView bytes)
{
    Reader in(bytes, 2);
    while (in.Ok()) {
        // libjpeg skips stray bytes before a marker (with a warning); so does this.
        while (in.Ok() && in.U8() != 0xFF) { }
        quint32 marker = in.U8();
        while (marker == 0xFF && in.Ok())
            marker = in.U8();
        if (!in.Ok())
            break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        const qint64 length = in.U16Be();
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            in.Skip(1);
            const qint64 height = in.U16Be();
            const qint64 width = in.U16Be();
            const quint32 components = in.U8();
            if (!in.Ok())
                break;
            // libjpeg decodes to 8 bits per sample; FreeImage makes 8, 24 or 32 bits of it.
            return Sized(width, height, 8.0 * std::max<quint32>(components, 1));
        }
        if (marker == 0xDA || marker == 0xD9 || length < 2)
            return Damaged("JPEG has no frame header before its data (damaged file)");
        in.Skip(length - 2);
    }
    return HeaderEndsEarly("JPEG");
}

PictureHeader ReadPng(QByteArrayView bytes)
{
    Reader in(bytes, 8);
    in.Skip(4);
    if (in.Bytes(4) != "IHDR")
        return in.Ok() ? Damaged("PNG does not start with its image header (damaged file)") : HeaderEndsEarly("PNG");
    const qint64 width = in.U32Be();
    const qint64 height = in.U32Be();
    const quint32 depth = in.U8();
    const quint32 colourType = in.U8();
    if (!in.Ok())
        return HeaderEndsEarly("PNG");
    const int channels = colourType == 2 ? 3 : colourType == 4 || colourType == 6 ? 4 : 1;
    return Sized(width, height, std::max(8.0, double(channels) * std::max<quint32>(depth, 8)));
}

// FreeImage reads an uncompressed BMP that ends early as far as it goes and leaves the
// rest black; such a file is damaged (the last row's padding may be missing: some writers
// leave it out). Compressed pixel data is judged by FreeImage itself.
PictureHeader ReadBmp(QByteArrayView bytes)
{
    Reader in(bytes, 10);
    const qint64 pixelOffset = in.U32Le();
    const quint32 infoSize = in.U32Le();
    qint64 width = 0;
    qint64 height = 0;
    quint32 bitCount = 0;
    quint32 compression = 0;
    if (infoSize == 12) {
        width = in.U16Le();
        height = in.U16Le();
        in.Skip(2);
        bitCount = in.U16Le();
    } else {
        width = qint32(in.U32Le());
        height = qint32(in.U32Le());
        in.Skip(2);
        bitCount = in.U16Le();
        compression = in.U32Le();
    }
    if (!in.Ok())
        return HeaderEndsEarly("BMP");
    height = qAbs(height);
    PictureHeader header = Sized(width, height, std::max<quint32>(bitCount, 8));
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!uncompressed || width <= 0 || height == 0 || bitCount == 0 || bitCount > 32)
        return header;
    const qint64 rowBytes = (width * bitCount + 7) / 8;
    const qint64 pitch = (width * bitCount + 31) / 32 * 4;
    const double needed = double(pixelOffset) + double(pitch) * double(height - 1) + double(rowBytes);
    if (Incomplete(bytes.size(), needed))
        header.problem = EndsEarly("BMP pixel", bytes.size(), needed);
    return header;
}

// The first directory of a TIFF (the page FreeImage decodes): its size, and whether every
// strip or tile it points to lies inside the file.
PictureHeader ReadTiff(QByteArrayView bytes)
{
    const bool big = bytes.startsWith("MM");
    Reader in(bytes, 2);
    if (in.U(2, big) != 42)
        return {}; // BigTIFF: FreeImage reads its header
    in.Seek(in.U(4, big));
    const quint32 entries = in.U(2, big);
    if (!in.Ok())
        return HeaderEndsEarly("TIFF");
    qint64 width = -1;
    qint64 height = -1;
    quint32 bitsPerSample = 1;
    quint32 samplesPerPixel = 1;
    struct Array
    {
        quint32 type = 0;
        quint32 count = 0;
        qint64 at = -1; // where the values are
    };
    Array offsets;
    Array counts;
    for (quint32 i = 0; i < entries && in.Ok(); ++i) {
        const qint64 entryAt = in.Pos();
        const quint32 tag = in.U(2, big);
        const quint32 type = in.U(2, big);
        const quint32 count = in.U(4, big);
        const int unit = type == 3 ? 2 : type == 4 ? 4 : type == 1 ? 1 : 0;
        if (!in.Ok())
            break;
        const bool inside = unit > 0 && qint64(unit) * count <= 4;
        const qint64 valuesAt = inside ? entryAt + 8 : (Reader(bytes, entryAt + 8).U(4, big));
        const quint32 first = unit > 0 ? Reader(bytes, valuesAt).U(unit, big) : 0;
        in.Seek(entryAt + 12);
        switch (tag) {
        case 256:
            width = first;
            break;
        case 257:
            height = first;
            break;
        case 258:
            bitsPerSample = first;
            break;
        case 277:
            samplesPerPixel = first;
            break;
        case 273:
        case 324:
            offsets = { type, count, unit > 0 ? valuesAt : -1 };
            break;
        case 279:
        case 325:
            counts = { type, count, unit > 0 ? valuesAt : -1 };
            break;
        default:
            break;
        }
    }
    if (!in.Ok() || width < 0 || height < 0)
        return Damaged("TIFF directory is damaged or ends early (no picture size)");
    PictureHeader header
        = Sized(width, height, std::max(32.0, double(bitsPerSample) * std::min<quint32>(samplesPerPixel, 64)));
    if (offsets.at < 0 || counts.at < 0 || offsets.count != counts.count)
        return header; // libtiff judges the rest
    const int offsetUnit = offsets.type == 3 ? 2 : 4;
    const int countUnit = counts.type == 3 ? 2 : 4;
    Reader offsetIn(bytes, offsets.at);
    Reader countIn(bytes, counts.at);
    double needed = 0;
    for (quint32 i = 0; i < offsets.count && offsetIn.Ok() && countIn.Ok(); ++i) {
        const double offset = offsetIn.U(offsetUnit, big);
        const double count = countIn.U(countUnit, big);
        needed = std::max(needed, offset + count);
    }
    if (!offsetIn.Ok() || !countIn.Ok())
        header.problem = QStringLiteral("TIFF strip table ends early (truncated file)");
    else if (Incomplete(bytes.size(), needed))
        header.problem = EndsEarly("TIFF", bytes.size(), needed);
    return header;
}

// ---- The other formats, which are decoded in a separate process ----

// A chain of GIF data sub-blocks; false when the file ends inside it.
bool SkipGifBlocks(Reader& in)
{
    for (quint32 length = in.U8(); in.Ok() && length != 0; length = in.U8())
        in.Skip(length);
    return in.Ok();
}

// The first image, which is the frame FreeImage decodes, and its data.
PictureHeader ReadGif(QByteArrayView bytes)
{
    Reader in(bytes, 10);
    const quint32 flags = in.U8();
    in.Skip(2);
    if (flags & 0x80)
        in.Skip(3 << ((flags & 7) + 1));
    while (in.Ok()) {
        const quint32 block = in.U8();
        if (block == 0x2C) {
            in.Skip(4);
            const qint64 width = in.U16Le();
            const qint64 height = in.U16Le();
            const quint32 localFlags = in.U8();
            if (!in.Ok())
                break;
            PictureHeader header = Sized(width, height, 8);
            if (localFlags & 0x80)
                in.Skip(3 << ((localFlags & 7) + 1));
            in.Skip(1); // the code size
            if (!SkipGifBlocks(in))
                header.problem = QStringLiteral("GIF picture data ends early (truncated file)");
            return header;
        }
        if (block != 0x21)
            return Damaged(in.Ok() ? QStringLiteral("GIF has no picture before its end (damaged file)")
                                   : QStringLiteral("GIF ends before its first picture (truncated file)"));
        in.Skip(1);
        SkipGifBlocks(in);
    }
    return HeaderEndsEarly("GIF");
}

// FreeImage allocates an icon's pixels for the nearest depth it supports and the absolute
// size, but reads the rows at the depth and signed size the icon's header claims, so an
// odd depth (12, 1025 ...) or a negative size overruns the pixel buffer. The first icon
// is the one FreeImage decodes.
PictureHeader ReadIco(QByteArrayView bytes)
{
    Reader in(bytes, 4);
    const quint32 count = in.U16Le();
    in.Skip(12);
    const qint64 at = in.U32Le();
    in.Seek(at);
    if (!in.Ok() || count == 0)
        return Damaged("icon file has no complete icon directory (damaged or truncated file)");
    if (bytes.sliced(at).startsWith("\x89PNG")) {
        PictureHeader header = ReadPng(bytes.sliced(at));
        if (!header.problem.isEmpty())
            header.problem = "icon's " + header.problem;
        return header;
    }
    in.Skip(4);
    const qint32 width = qint32(in.U32Le());
    const qint32 height = qint32(in.U32Le());
    in.Skip(2);
    const quint32 bitCount = in.U16Le();
    const bool knownDepth
        = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
    if (!in.Ok() || width <= 0 || height < 2 || !knownDepth)
        return Damaged(QString("icon header is damaged (%1 x %2 pixels, %3 bits per pixel)")
                           .arg(width)
                           .arg(height / 2)
                           .arg(bitCount));
    PictureHeader header = Sized(width, height / 2, 32);
    const double palette = bitCount <= 8 ? 4 << bitCount : 0;
    // The colour rows, then the transparency mask of one bit a pixel.
    const double pixels
        = double((qint64(width) * bitCount + 31) / 32 * 4 + (qint64(width) + 31) / 32 * 4) * (height / 2);
    const double needed = double(at) + 40 + palette + pixels;
    if (Incomplete(bytes.size(), needed))
        header.problem = EndsEarly("icon", bytes.size(), needed);
    return header;
}

// The merged picture of a Photoshop file, and whether all its channel data is there.
PictureHeader ReadPsd(QByteArrayView bytes)
{
    Reader in(bytes, 4);
    const quint32 version = in.U16Be();
    in.Skip(6);
    const quint32 channels = in.U16Be();
    const qint64 height = in.U32Be();
    const qint64 width = in.U32Be();
    const quint32 depth = in.U16Be();
    in.Skip(2);
    if (!in.Ok())
        return HeaderEndsEarly("Photoshop");
    if ((version != 1 && version != 2) || channels < 1 || channels > 56
        || (depth != 1 && depth != 8 && depth != 16 && depth != 32))
        return Damaged(QString("Photoshop header is damaged (version %1, %2 channels, %3 bits per channel)")
                           .arg(version)
                           .arg(channels)
                           .arg(depth));
    PictureHeader header = Sized(width, height, 4.0 * std::max<quint32>(depth, 8));
    in.Skip(in.U32Be()); // colour mode data
    in.Skip(in.U32Be()); // image resources
    const qint64 layersHigh = version == 2 ? in.U32Be() : 0; // 64 bits long in a large document
    const qint64 layersLow = in.U32Be();
    const qint64 layersLength = layersHigh > 0xFFFF ? -1 : (layersHigh << 32) | layersLow;
    in.Skip(layersLength);
    const quint32 compression = in.U16Be();
    if (!in.Ok()) {
        header.problem = QStringLiteral("Photoshop file ends before its picture data (truncated file)");
        return header;
    }
    const double rows = double(channels) * double(height);
    double needed = 0;
    if (compression == 0) {
        needed = double(in.Pos()) + rows * double((width * depth + 7) / 8);
    } else if (compression == 1) {
        // One byte count per row and channel, then the packed rows.
        const int unit = version == 2 ? 4 : 2;
        if (Incomplete(in.Left(), rows * unit)) {
            header.problem = EndsEarly("Photoshop", bytes.size(), double(in.Pos()) + rows * unit);
            return header;
        }
        double packed = 0;
        for (qint64 row = 0; row < qint64(rows); ++row)
            packed += in.U(unit, true);
        needed = double(in.Pos()) + packed;
    } else if (compression > 3) {
        header.problem
            = QString("Photoshop picture data has an unknown compression %1 (damaged file)").arg(compression);
        return header;
    }
    if (Incomplete(bytes.size(), needed))
        header.problem = EndsEarly("Photoshop", bytes.size(), needed);
    return header;
}

// The next number of a PNM header, after blanks and comments; -1 when there is none.
qint64 PnmNumber(Reader& in)
{
    while (!in.AtEnd()) {
        const quint8 c = *in.Here();
        if (c == '#') {
            while (!in.AtEnd() && *in.Here() != '\n' && *in.Here() != '\r')
                in.Skip(1);
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
            in.Skip(1);
        } else {
            break;
        }
    }
    qint64 value = -1;
    while (!in.AtEnd() && *in.Here() >= '0' && *in.Here() <= '9') {
        value = qMin<qint64>(qMax<qint64>(value, 0) * 10 + (*in.Here() - '0'), qint64(1) << 40);
        in.Skip(1);
    }
    return value;
}

// Portable bitmap, greymap and pixmap (P1 to P6): size, and whether every sample is there.
PictureHeader ReadPnm(QByteArrayView bytes)
{
    Reader in(bytes, 1);
    const int kind = int(in.U8()) - '0';
    const bool bitmap = kind == 1 || kind == 4;
    const qint64 width = PnmNumber(in);
    const qint64 height = PnmNumber(in);
    const qint64 maxValue = bitmap ? 1 : PnmNumber(in);
    if (width < 0 || height < 0 || maxValue < 0)
        return HeaderEndsEarly("PNM");
    if (maxValue < 1 || maxValue > 65535)
        return Damaged(QString("PNM header is damaged (largest value %1)").arg(maxValue));
    const int channels = kind == 3 || kind == 6 ? 3 : 1;
    const int sampleBytes = maxValue > 255 ? 2 : 1;
    PictureHeader header = Sized(width, height, bitmap ? 1 : 8.0 * channels * sampleBytes);
    const double samples = double(width) * double(height) * channels;
    if (kind >= 4) {
        const double rowBytes = kind == 4 ? double((width + 7) / 8) : double(width) * channels * sampleBytes;
        const double needed = double(in.Pos() + 1) + rowBytes * double(height);
        if (Incomplete(bytes.size(), needed))
            header.problem = EndsEarly("PNM", bytes.size(), needed);
        return header;
    }
    // Text samples: count them (a bitmap's digits need no blanks between them).
    double found = 0;
    bool inNumber = false;
    for (const quint8* p = in.Here(); p < in.Here() + in.Left() && found < samples; ++p) {
        const bool digit = *p >= '0' && *p <= '9';
        if (*p == '#') {
            while (p < in.Here() + in.Left() && *p != '\n' && *p != '\r')
                ++p;
            inNumber = false;
            continue;
        }
        if (digit && (bitmap || !inNumber))
            ++found;
        inNumber = digit;
    }
    if (found < samples)
        header.problem = QString("PNM picture ends early: %1 of %2 values are there (truncated file)")
                             .arg(found, 0, 'f', 0)
                             .arg(samples, 0, 'f', 0);
    return header;
}

PictureHeader ReadTga(QByteArrayView bytes)
{
    Reader in(bytes);
    const quint32 idLength = in.U8();
    in.Skip(1);
    const quint32 type = in.U8();
    in.Skip(2);
    const quint32 mapLength = in.U16Le();
    const quint32 mapDepth = in.U8();
    in.Skip(4);
    const qint64 width = in.U16Le();
    const qint64 height = in.U16Le();
    const quint32 depth = in.U8();
    in.Skip(1);
    if (!in.Ok())
        return HeaderEndsEarly("TGA");
    PictureHeader header = Sized(width, height, 32);
    const qint64 pixelBytes = (depth + 7) / 8;
    in.Skip(idLength + qint64(mapLength) * ((mapDepth + 7) / 8));
    if (!in.Ok() || pixelBytes == 0) {
        header.problem = in.Ok() ? QStringLiteral("TGA header is damaged (0 bits per pixel)")
                                 : QStringLiteral("TGA header ends early (truncated file)");
        return header;
    }
    const double pixels = double(width) * double(height);
    if (type == 1 || type == 2 || type == 3) {
        const double needed = double(in.Pos()) + pixels * double(pixelBytes);
        if (Incomplete(bytes.size(), needed))
            header.problem = EndsEarly("TGA", bytes.size(), needed);
    } else if (type == 9 || type == 10 || type == 11) {
        // Packets of repeated or literal pixels, until the picture is full.
        double done = 0;
        while (done < pixels && in.Ok()) {
            const quint32 packet = in.U8();
            const qint64 count = (packet & 0x7F) + 1;
            in.Skip(packet & 0x80 ? pixelBytes : count * pixelBytes);
            done += double(count);
        }
        if (!in.Ok())
            header.problem = QStringLiteral("TGA compressed data ends early (truncated file)");
    }
    return header;
}

// A multi-byte integer of a wireless bitmap: 7 bits a byte, high bit set on all but the last.
qint64 WbmpNumber(Reader& in)
{
    qint64 value = 0;
    for (int i = 0; i < 5; ++i) {
        const quint32 byte = in.U8();
        value = (value << 7) | (byte & 0x7F);
        if (!(byte & 0x80))
            return value;
    }
    return -1;
}

PictureHeader ReadWbmp(QByteArrayView bytes)
{
    Reader in(bytes);
    WbmpNumber(in);
    // An extension header: its bytes follow while their top bit is set.
    for (quint32 fixed = in.U8(); in.Ok() && (fixed & 0x80); fixed = in.U8())
        ;
    const qint64 width = WbmpNumber(in);
    const qint64 height = WbmpNumber(in);
    if (!in.Ok() || width < 0 || height < 0)
        return HeaderEndsEarly("WBMP");
    PictureHeader header = Sized(width, height, 8);
    const double needed = double(in.Pos()) + double((width + 7) / 8) * double(height);
    if (Incomplete(bytes.size(), needed))
        header.problem = EndsEarly("WBMP", bytes.size(), needed);
    return header;
}

// An X bitmap: C source with "#define name_width N", "#define name_height N" and an array.
PictureHeader ReadXbm(QByteArrayView bytes)
{
    static const QRegularExpression sizes(R"(#define\s+\S*_width\s+(\d{1,10})\s+#define\s+\S*_height\s+(\d{1,10}))");
    const QString text = QString::fromLatin1(bytes.first(std::min<qsizetype>(bytes.size(), 1024)));
    const QRegularExpressionMatch match = sizes.match(text);
    if (!match.hasMatch())
        return Damaged("X bitmap has no size definition in its first lines (damaged file)");
    const qint64 width = match.captured(1).toLongLong();
    const qint64 height = match.captured(2).toLongLong();
    PictureHeader header = Sized(width, height, 8);
    const qsizetype open = bytes.indexOf('{');
    if (open < 0) {
        header.problem = QStringLiteral("X bitmap has no pixel data (truncated file)");
        return header;
    }
    // An X10 bitmap holds 16-bit values, an X11 one bytes.
    const bool shorts = QByteArrayView(bytes.first(open)).contains("short");
    double values = 0;
    for (qsizetype i = open; i + 1 < bytes.size(); ++i)
        if (bytes[i] == '0' && (bytes[i + 1] == 'x' || bytes[i + 1] == 'X'))
            ++values;
    const double needed = double((width + (shorts ? 15 : 7)) / (shorts ? 16 : 8)) * double(height);
    if (values < needed)
        header.problem = QString("X bitmap ends early: %1 of %2 values are there (truncated file)")
                             .arg(values, 0, 'f', 0)
                             .arg(needed, 0, 'f', 0);
    return header;
}

PictureHeader ReadXpm(QByteArrayView bytes)
{
    static const QRegularExpression values(R"("\s*(\d{1,10})\s+(\d{1,10})\s+\d+\s+\d+)");
    const QRegularExpressionMatch match
        = values.match(QString::fromLatin1(bytes.first(std::min<qsizetype>(bytes.size(), 4096))));
    if (!match.hasMatch())
        return Damaged("X pixmap has no size line in its first lines (damaged file)");
    return Sized(match.captured(1).toLongLong(), match.captured(2).toLongLong(), 32);
}

PictureHeader ReadPcx(QByteArrayView bytes)
{
    Reader in(bytes, 4);
    const qint64 left = in.U16Le();
    const qint64 top = in.U16Le();
    const qint64 right = in.U16Le();
    const qint64 bottom = in.U16Le();
    if (!in.Ok())
        return HeaderEndsEarly("PCX");
    return Sized(right - left + 1, bottom - top + 1, 32);
}

PictureHeader ReadRas(QByteArrayView bytes)
{
    Reader in(bytes, 4);
    const qint64 width = in.U32Be();
    const qint64 height = in.U32Be();
    if (!in.Ok())
        return HeaderEndsEarly("Sun raster");
    return Sized(width, height, 32);
}

PictureHeader ReadDds(QByteArrayView bytes)
{
    Reader in(bytes, 12);
    const qint64 height = in.U32Le();
    const qint64 width = in.U32Le();
    return in.Ok() ? Sized(width, height, 32) : HeaderEndsEarly("DDS");
}

PictureHeader ReadSgi(QByteArrayView bytes)
{
    Reader in(bytes, 6);
    const qint64 width = in.U16Be();
    const qint64 height = in.U16Be();
    return in.Ok() ? Sized(width, height, 32) : HeaderEndsEarly("SGI");
}

// The BMHD chunk of an IFF ILBM or PBM picture.
PictureHeader ReadIff(QByteArrayView bytes)
{
    Reader in(bytes, 12);
    while (in.Ok()) {
        const QByteArrayView id = in.Bytes(4);
        const qint64 length = in.U32Be();
        if (in.Ok() && id == "BMHD") {
            const qint64 width = in.U16Be();
            const qint64 height = in.U16Be();
            if (in.Ok())
                return Sized(width, height, 32);
        }
        in.Skip(length + (length & 1));
    }
    return HeaderEndsEarly("IFF");
}

// OpenJPEG keeps one 32-bit sample per component and pixel while decoding.
double Jpeg2000Bits(qint64 components)
{
    return 32.0 * double(qMax<qint64>(components, 1)) + 64.0;
}

// The SIZ segment that follows the start of a JPEG 2000 codestream.
PictureHeader ReadJ2k(QByteArrayView bytes)
{
    Reader in(bytes, 8);
    const qint64 right = in.U32Be();
    const qint64 bottom = in.U32Be();
    const qint64 left = in.U32Be();
    const qint64 top = in.U32Be();
    in.Skip(16);
    const qint64 components = in.U16Be();
    return in.Ok() ? Sized(right - left, bottom - top, Jpeg2000Bits(components)) : HeaderEndsEarly("JPEG 2000");
}

// The image header box inside the JP2 header box.
PictureHeader ReadJp2(QByteArrayView bytes)
{
    Reader in(bytes);
    while (in.Ok()) {
        qint64 length = in.U32Be();
        const QByteArrayView type = in.Bytes(4);
        qint64 headerLength = 8;
        if (length == 1) {
            const qint64 high = in.U32Be();
            const qint64 low = in.U32Be();
            length = high > 0x7FFFFFFF ? -1 : (high << 32) | low;
            headerLength = 16;
        } else if (length == 0) {
            length = in.Left() + headerLength;
        }
        if (!in.Ok() || length < headerLength)
            break;
        if (type == "ihdr") {
            const qint64 height = in.U32Be();
            const qint64 width = in.U32Be();
            const qint64 components = in.U16Be();
            if (in.Ok())
                return Sized(width, height, Jpeg2000Bits(components));
            break;
        }
        if (type != "jp2h")
            in.Skip(length - headerLength);
    }
    return HeaderEndsEarly("JPEG 2000");
}

// FreeImage reads a Radiance picture's size with "%d" into unsigned numbers, allocates the
// absolute values and then reads rows of the size as given, so "-Y -1 +X 8" overruns the
// pixel buffer. The size line follows the header lines, which end with an empty one.
PictureHeader ReadHdr(QByteArrayView bytes)
{
    qsizetype pos = 0;
    const auto nextLine = [&]() -> QByteArray {
        const qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0 || end - pos >= 256) // FreeImage's longest header line
            return {};
        QByteArray line = bytes.sliced(pos, end + 1 - pos).toByteArray();
        pos = end + 1;
        const qsizetype nul = line.indexOf('\0'); // FreeImage's string functions stop there
        return nul < 0 ? line : nul == 0 ? QByteArray("\n") : line.left(nul);
    };
    if (nextLine().isEmpty())
        return HeaderEndsEarly("Radiance");
    for (QByteArray line = nextLine(); line != "\n"; line = nextLine())
        if (line.isEmpty())
            return HeaderEndsEarly("Radiance");
    static const QRegularExpression sizeLine(R"(^(?:-Y\s*([+-]?\d+)\s*\+X|\+X\s*([+-]?\d+)\s*\+Y)\s*([+-]?\d+))");
    const QRegularExpressionMatch match = sizeLine.match(QString::fromLatin1(nextLine()));
    if (!match.hasMatch())
        return Damaged("Radiance picture has no size line (damaged file)");
    bool firstOk = false;
    bool secondOk = false;
    const qint64 first = (match.captured(1) + match.captured(2)).toLongLong(&firstOk);
    const qint64 second = match.captured(3).toLongLong(&secondOk);
    if (!firstOk || !secondOk || first <= 0 || second <= 0 || first > INT_MAX || second > INT_MAX)
        return Damaged(QString("Radiance picture size is damaged: %1").arg(match.captured(0)));
    const bool heightFirst = !match.captured(1).isEmpty();
    return Sized(heightFirst ? second : first, heightFirst ? first : second, 128);
}

} // namespace

PictureHeader PictureHeader::Read(int freeImageFormat, QByteArrayView bytes)
{
    switch (FREE_IMAGE_FORMAT(freeImageFormat)) {
    case FIF_JPEG:
        return ReadJpeg(bytes);
    case FIF_PNG:
        return ReadPng(bytes);
    case FIF_BMP:
        return ReadBmp(bytes);
    case FIF_TIFF:
        return ReadTiff(bytes);
    case FIF_GIF:
        return ReadGif(bytes);
    case FIF_ICO:
        return ReadIco(bytes);
    case FIF_PSD:
        return ReadPsd(bytes);
    case FIF_PBM:
    case FIF_PBMRAW:
    case FIF_PGM:
    case FIF_PGMRAW:
    case FIF_PPM:
    case FIF_PPMRAW:
        return ReadPnm(bytes);
    case FIF_TARGA:
        return ReadTga(bytes);
    case FIF_WBMP:
        return ReadWbmp(bytes);
    case FIF_XBM:
        return ReadXbm(bytes);
    case FIF_XPM:
        return ReadXpm(bytes);
    case FIF_PCX:
        return ReadPcx(bytes);
    case FIF_RAS:
        return ReadRas(bytes);
    case FIF_DDS:
        return ReadDds(bytes);
    case FIF_SGI:
        return ReadSgi(bytes);
    case FIF_IFF:
        return ReadIff(bytes);
    case FIF_J2K:
        return ReadJ2k(bytes);
    case FIF_JP2:
        return ReadJp2(bytes);
    case FIF_HDR:
        return ReadHdr(bytes);
    default:
        return {};
    }
}
