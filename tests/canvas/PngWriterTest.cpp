// The PNG writer and its Huffman-only deflate encoder: every stream is inflated by zlib
// strictly (checksum and end included), every file read back by Qt's reader.
#include "canvas/PngWriter.h"
#include "canvas/HuffmanDeflate.h"

#include <QBuffer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include <zlib.h>

namespace {

using Bytes = std::vector<unsigned char>;

// Inflates a raw deflate stream; it must end exactly at the end of the bytes.
testing::AssertionResult InflatesTo(const Bytes& packed, const Bytes& expected)
{
    Bytes back(expected.size() + 64);
    z_stream z {};
    inflateInit2(&z, -15);
    z.next_in = const_cast<unsigned char*>(packed.data());
    z.avail_in = uInt(packed.size());
    z.next_out = back.data();
    z.avail_out = uInt(back.size());
    const int result = inflate(&z, Z_FINISH);
    const uLong produced = z.total_out;
    const uInt left = z.avail_in;
    inflateEnd(&z);
    if (result != Z_STREAM_END)
        return testing::AssertionFailure() << "inflate ended with " << result;
    if (left != 0)
        return testing::AssertionFailure() << left << " bytes after the end of the stream";
    if (produced != expected.size() || !std::equal(expected.begin(), expected.end(), back.begin()))
        return testing::AssertionFailure() << "other bytes (" << produced << " of " << expected.size() << ")";
    return testing::AssertionSuccess();
}

// Rows that vary as filtered photographs do: mostly small differences.
Bytes PhotoLike(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0, 6);
    Bytes bytes(size);
    for (unsigned char& b : bytes)
        b = static_cast<unsigned char>(int(std::lround(noise(random))));
    return bytes;
}

QImage Picture(int width, int height, QImage::Format format)
{
    QImage picture(width, height, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb((x * 7 + y) & 255, (y * 5 + int(random() % 9)) & 255, int(random() % 256)));
    return picture.convertToFormat(format);
}

// The file's chunks with their checksums checked, the IDAT data inflated by zlib.
testing::AssertionResult ChunksAndStreamSound(const QByteArray& file, int width, int height)
{
    if (!file.startsWith("\x89PNG\r\n\x1a\n"))
        return testing::AssertionFailure() << "no PNG signature";
    QByteArray stream;
    qsizetype at = 8;
    QByteArray last;
    while (at + 12 <= file.size()) {
        const quint32 length = qFromBigEndian<quint32>(file.constData() + at);
        if (at + 12 + qsizetype(length) > file.size())
            return testing::AssertionFailure() << "chunk beyond the end";
        const QByteArray type = file.mid(at + 4, 4);
        const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(file.constData() + at + 4), uInt(length + 4));
        if (crc != qFromBigEndian<quint32>(file.constData() + at + 8 + length))
            return testing::AssertionFailure() << "bad checksum of " << type.constData();
        if (type == "IDAT")
            stream += file.mid(at + 8, length);
        last = type;
        at += 12 + length;
    }
    if (at != file.size() || last != "IEND")
        return testing::AssertionFailure() << "does not end with IEND";
    uLongf size = uLongf(height) * (uLongf(width) * 3 + 1);
    QByteArray rows(qsizetype(size) + 16, '\0');
    uLongf got = uLongf(rows.size());
    const int result = uncompress(reinterpret_cast<Bytef*>(rows.data()), &got,
        reinterpret_cast<const Bytef*>(stream.constData()), uLong(stream.size()));
    if (result != Z_OK || got != size)
        return testing::AssertionFailure() << "zlib stream: " << result << ", " << got << " of " << size << " bytes";
    return testing::AssertionSuccess();
}

} // namespace

TEST(HuffmanDeflate, AwkwardInputsInflateExactly)
{
    std::mt19937 random(3);
    Bytes noise(300000); // does not shrink: stored blocks
    for (unsigned char& b : noise)
        b = static_cast<unsigned char>(random());
    // Fibonacci frequencies: an unlimited Huffman code would need 24 bits.
    Bytes skewed;
    for (unsigned long a = 1, b = 1, value = 0; value < 25; ++value) {
        skewed.insert(skewed.end(), a, static_cast<unsigned char>(value));
        const unsigned long c = a + b;
        a = b;
        b = c;
    }
    const std::vector<std::pair<const char*, Bytes>> cases = {
        { "empty", Bytes() },
        { "one byte", Bytes(1, 200) },
        { "one value", Bytes(5000, 9) },
        { "noise", noise },
        { "skewed", skewed },
        { "several blocks", PhotoLike(700000, 1) },
    };
    for (const auto& [name, data] : cases) {
        Bytes packed;
        HuffmanDeflate(data.data(), data.size(), true, packed);
        EXPECT_TRUE(InflatesTo(packed, data)) << name;
    }
    // Photograph-like rows shrink.
    const Bytes photo = PhotoLike(100000, 2);
    Bytes packed;
    HuffmanDeflate(photo.data(), photo.size(), true, packed);
    EXPECT_LT(packed.size(), photo.size() * 6 / 10);
}

TEST(HuffmanDeflate, PiecesJoinedReadAsOneStream)
{
    const Bytes data = PhotoLike(400000, 4);
    const size_t cuts[] = { 0, 1, 1, 262144 + 5, 400000 }; // an empty piece, a single byte, a block and more
    Bytes packed;
    packed.push_back(0xAB); // the output is appended to what is there
    for (size_t i = 0; i + 1 < std::size(cuts); ++i)
        HuffmanDeflate(data.data() + cuts[i], cuts[i + 1] - cuts[i], i + 2 == std::size(cuts), packed);
    EXPECT_EQ(packed.front(), 0xAB);
    EXPECT_TRUE(InflatesTo(Bytes(packed.begin() + 1, packed.end()), data));
}

TEST(PngWriter, EverySettingWritesThePictureExactly)
{
    const int width = 37;
    const int height = 29;
    const QImage expected = Picture(width, height, QImage::Format_RGB32);
    const int bandHeights[] = { 5, 1, 17, 6 };
    for (QImage::Format format :
        { QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888, QImage::Format_BGR888 })
        for (int level : { 0, PngWriter::kFastLevel, 6 })
            for (auto filter :
                { PngWriter::Filter::None, PngWriter::Filter::Sub, PngWriter::Filter::Up, PngWriter::Filter::Adaptive })
                for (int threads : { 1, 3 }) {
                    const QImage picture = Picture(width, height, format);
                    QBuffer out;
                    out.open(QIODevice::WriteOnly);
                    PngWriter png(out, width, height, level, filter, threads);
                    int top = 0;
                    for (int rows : bandHeights) {
                        // A band that is a view into a larger picture, and is changed once handed over.
                        QImage band = picture.copy(0, top, width, rows);
                        ASSERT_TRUE(png.Add(band));
                        band.fill(Qt::green);
                        top += rows;
                    }
                    ASSERT_TRUE(png.Finish());
                    const QString setting = QStringLiteral("format %1, level %2, filter %3, %4 threads")
                                                .arg(int(format))
                                                .arg(level)
                                                .arg(int(filter))
                                                .arg(threads);
                    EXPECT_TRUE(ChunksAndStreamSound(out.data(), width, height)) << qPrintable(setting);
                    EXPECT_EQ(QImage::fromData(out.data(), "PNG").convertToFormat(QImage::Format_RGB32), expected)
                        << qPrintable(setting);
                }
}

TEST(PngWriter, RefusesWhatDoesNotFitAndFailedWrites)
{
    const QImage picture = Picture(10, 8, QImage::Format_RGB32);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    {
        PngWriter png(out, 10, 8);
        EXPECT_FALSE(png.Add(Picture(11, 8, QImage::Format_RGB32))); // too wide
        EXPECT_FALSE(png.Add(picture)); // stays failed
    }
    {
        PngWriter png(out, 10, 8);
        ASSERT_TRUE(png.Add(picture.copy(0, 0, 10, 4)));
        EXPECT_FALSE(png.Add(picture.copy(0, 4, 10, 4).convertToFormat(QImage::Format_RGB888))); // another format
    }
    {
        PngWriter png(out, 10, 8);
        ASSERT_TRUE(png.Add(picture.copy(0, 0, 10, 4)));
        EXPECT_FALSE(png.Finish()); // rows missing
        EXPECT_FALSE(png.Add(picture.copy(0, 0, 10, 5))); // more rows than the picture has
    }
    {
        PngWriter png(out, 10, 8);
        EXPECT_FALSE(png.Add(picture.convertToFormat(QImage::Format_Grayscale8)));
    }
    {
        PngWriter png(out, 0, 8);
        EXPECT_FALSE(png.Add(picture));
    }
    // A device that takes nothing: the failure shows by the end at the latest.
    QBuffer closed;
    PngWriter png(closed, 10, 8);
    const bool added = png.Add(picture);
    EXPECT_FALSE(added && png.Finish());
}
