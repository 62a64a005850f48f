#include "canvas/BmpWriter.h"

#include <QIODevice>

#include <algorithm>

namespace BmpWriter {

namespace {

qint64 Stride(int width)
{
    return (qint64(width) * 3 + 3) & ~qint64(3);
}

} // namespace

bool WriteHeader(QIODevice& out, int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    const qint64 pixelBytes = Stride(width) * height;
    if (54 + pixelBytes > 0xFFFFFFFFLL)
        return false;
    unsigned char header[54] = {};
    const auto put32 = [&](int at, qint64 v) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = static_cast<unsigned char>(quint64(v) >> (8 * i));
    };
    header[0] = 'B';
    header[1] = 'M';
    put32(2, 54 + pixelBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    header[26] = 1; // planes
    header[28] = 24; // bits per pixel
    put32(34, pixelBytes);
    put32(38, 3780); // 96 dots per inch
    put32(42, 3780);
    return out.write(reinterpret_cast<const char*>(header), 54) == 54;
}

bool WriteRowsBottomUp(QIODevice& out, const QImage& band)
{
    const QImage::Format format = band.format();
    const bool bgr = format == QImage::Format_BGR888;
    if (band.isNull() || (!bgr && format != QImage::Format_RGB32 && format != QImage::Format_ARGB32))
        return false;
    const int width = band.width();
    const qsizetype stride = qsizetype(Stride(width));
    // Rows are gathered into pieces of about a megabyte; the padding is written as zeros.
    const int perPiece = int(std::clamp<qsizetype>((qsizetype(1) << 20) / stride, 1, band.height()));
    QByteArray piece(stride * perPiece, '\0');
    int filled = 0;
    for (int y = band.height() - 1; y >= 0; --y) {
        auto* to = reinterpret_cast<uchar*>(piece.data()) + stride * filled;
        if (bgr) {
            std::copy_n(band.constScanLine(y), qsizetype(width) * 3, to);
        } else {
            const auto* from = reinterpret_cast<const QRgb*>(band.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                to[3 * x] = uchar(qBlue(from[x]));
                to[3 * x + 1] = uchar(qGreen(from[x]));
                to[3 * x + 2] = uchar(qRed(from[x]));
            }
        }
        if (++filled == perPiece || y == 0) {
            const qint64 bytes = qint64(stride) * filled;
            if (out.write(piece.constData(), bytes) != bytes)
                return false;
            filled = 0;
        }
    }
    return true;
}

} // namespace BmpWriter
