#include "report/NVBitmap.h"

#include "common/MessageSink.h"
#include "common/TNVFreeImage.h"

#include <QFile>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Larger fitted pictures are refused: a tall thin box around a big photograph
// would otherwise ask for tens of gigabytes.
constexpr qint64 kMaxPixels = qint64(1) << 28;

// The size with the box's proportions that keeps the picture's resolution along
// its limiting side (integer products and division); 0 x 0 for a degenerate box.
std::pair<qint64, qint64> FittedSize(qint64 iw, qint64 ih, int w, int h)
{
    if (double(ih) >= double(iw) * (double(h) / double(w)))
        return { qint64(w) * ih / h, ih };
    return { iw, qint64(h) * iw / w };
}

std::unique_ptr<DibBitmap> Fit(std::unique_ptr<DibBitmap> image, int w, int h)
{
    if (!image || !image->ConvertTo32Bits())
        return nullptr;
    if (w <= 0 || h <= 0)
        return image;

    const qint64 iw = image->Width();
    const qint64 ih = image->Height();
    auto [W, H] = FittedSize(iw, ih, w, h);
    if (W == 0 || H == 0) {
        MessageSink::Show(QStringLiteral("Internal error in NVBitmap, Scaling Bitmap"));
        W = w;
        H = h;
    }
    if (W * H > kMaxPixels)
        return nullptr;
    auto fitted = DibBitmap::Create(int(W), int(H), 32);
    if (!fitted)
        return nullptr;
    for (int y = 0; y < H; ++y)
        std::memset(fitted->ScanLine(y), 0xFF, size_t(W) * 4);

    // The picture goes into the rectangle (x0, y0) .. (W - x0, H - y0), counted
    // from the top, by nearest-pixel stretching (no smoothing).
    const qint64 x0 = qint64((W - iw) * 0.5);
    const qint64 y0 = qint64((H - ih) * 0.5);
    const qint64 rw = W - 2 * x0;
    const qint64 rh = H - 2 * y0;
    if (rw <= 0 || rh <= 0)
        return fitted;
    std::vector<qint64> sourceX(static_cast<size_t>(rw));
    for (qint64 x = 0; x < rw; ++x)
        sourceX[size_t(x)] = x * iw / rw;
    for (qint64 y = 0; y < rh; ++y) {
        const qint64 top = y0 + y; // row from the top of the fitted picture
        if (top < 0 || top >= H)
            continue;
        const qint64 sourceTop = y * ih / rh;
        const auto* src = reinterpret_cast<const quint32*>(image->ScanLine(int(ih - 1 - sourceTop)));
        auto* dst = reinterpret_cast<quint32*>(fitted->ScanLine(int(H - 1 - top)));
        for (qint64 x = 0; x < rw; ++x) {
            const qint64 left = x0 + x;
            if (left >= 0 && left < W)
                dst[left] = src[sourceX[size_t(x)]];
        }
    }
    return fitted;
}

// The decoded picture reduced smoothly to `size`, upright. The bitmap's rows are
// read in place, bottom line first, and only the small result is turned over.
// Adds the blue, green and red of each k pixels wide block of one row (pixels of
// `bytes` bytes, blue first) to sums (three per block).
void AddBlockSums(const uint8_t* row, int bytes, int k, int blocks, std::vector<uint32_t>& sums)
{
    for (int bx = 0; bx < blocks; ++bx) {
        const uint8_t* p = row + size_t(bx) * size_t(k) * size_t(bytes);
        uint32_t b = 0;
        uint32_t g = 0;
        uint32_t r = 0;
        for (int dx = 0; dx < k; ++dx, p += bytes) {
            b += p[0];
            g += p[1];
            r += p[2];
        }
        sums[3 * size_t(bx)] += b;
        sums[3 * size_t(bx) + 1] += g;
        sums[3 * size_t(bx) + 2] += r;
    }
}

// One row of the reduced picture: the rounded means of the n pixels of each block.
void StoreBlockMeans(const std::vector<uint32_t>& sums, uint32_t n, QRgb* out, int blocks)
{
    for (int bx = 0; bx < blocks; ++bx)
        out[bx] = qRgb(int((sums[3 * size_t(bx) + 2] + n / 2) / n), int((sums[3 * size_t(bx) + 1] + n / 2) / n),
            int((sums[3 * size_t(bx)] + n / 2) / n));
}

QImage Reduced(DibBitmap& image, QSize size)
{
    if (image.Bpp() != 24 && !image.ConvertTo32Bits())
        return QImage();
    // Many times larger than the output: blocks of k x k pixels are averaged straight
    // from the bitmap's rows first, so that the smooth scaling works on a small picture
    // (it would otherwise make a 32-bit copy of the whole photograph). The k - 1 pixels
    // at most that do not fill a block at the right and bottom edge are left out.
    const int width = image.Width();
    const int height = image.Height();
    const int k = std::min(width / std::max(size.width(), 1), height / std::max(size.height(), 1));
    if (k >= 2) {
        const int bytes = image.Bpp() / 8;
        const int boxedWidth = width / k;
        const int boxedHeight = height / k;
        QImage boxed(boxedWidth, boxedHeight, QImage::Format_RGB32);
        if (boxed.isNull())
            return boxed;
        std::vector<uint32_t> sums(size_t(boxedWidth) * 3);
        const uint32_t n = uint32_t(k) * uint32_t(k);
        for (int by = 0; by < boxedHeight; ++by) {
            std::fill(sums.begin(), sums.end(), 0u);
            for (int dy = 0; dy < k; ++dy) {
                // Row r from the top is the bitmap's row height - 1 - r.
                const uint8_t* row = image.ScanLine(height - 1 - (by * k + dy));
                AddBlockSums(row, bytes, k, boxedWidth, sums);
            }
            StoreBlockMeans(sums, n, reinterpret_cast<QRgb*>(boxed.scanLine(by)), boxedWidth);
        }
        return boxed.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const QImage::Format format = image.Bpp() == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32;
    const QImage upsideDown(image.ScanLine(0), image.Width(), image.Height(), image.Pitch(), format);
    return upsideDown.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).mirrored(false, true);
}

// A plain 24-bit BMP with its rows from the bottom up (as the print bridge writes its
// pictures): its size and where its rows are.
struct PlainBmp
{
    int width = 0;
    int height = 0;
    qint64 rowsAt = 0;
    qint64 stride = 0;
};

std::optional<PlainBmp> PlainBmpOf(QFile& file)
{
    const QByteArray head = file.read(54);
    if (head.size() < 54 || head[0] != 'B' || head[1] != 'M')
        return std::nullopt;
    const char* at = head.constData();
    PlainBmp bmp;
    bmp.rowsAt = qFromLittleEndian<quint32>(at + 10);
    const quint32 infoSize = qFromLittleEndian<quint32>(at + 14);
    bmp.width = qFromLittleEndian<qint32>(at + 18);
    bmp.height = qFromLittleEndian<qint32>(at + 22);
    // Sides beyond any picture are left to the loader, which refuses them by its limits.
    constexpr int kLargestSide = 1 << 20;
    if (infoSize < 40 || bmp.width <= 0 || bmp.height <= 0 || bmp.width > kLargestSide || bmp.height > kLargestSide
        || qFromLittleEndian<quint16>(at + 26) != 1 || qFromLittleEndian<quint16>(at + 28) != 24
        || qFromLittleEndian<quint32>(at + 30) != 0 || bmp.rowsAt < 14 + qint64(infoSize))
        return std::nullopt;
    bmp.stride = (qint64(bmp.width) * 3 + 3) & ~qint64(3);
    if (file.size() < bmp.rowsAt + bmp.stride * bmp.height)
        return std::nullopt;
    return bmp;
}

// Reduced()'s result read straight from the file's rows, a block of k rows at a time:
// the photograph is never whole in memory. Null when the file cannot be read or the
// picture is not many times larger than `size`.
QImage ReducedFromFile(QFile& file, const PlainBmp& bmp, QSize size)
{
    const int k = std::min(bmp.width / std::max(size.width(), 1), bmp.height / std::max(size.height(), 1));
    if (k < 2)
        return QImage();
    const int boxedWidth = bmp.width / k;
    const int boxedHeight = bmp.height / k;
    QImage boxed(boxedWidth, boxedHeight, QImage::Format_RGB32);
    if (boxed.isNull())
        return boxed;
    // The bottom rows that do not fill a block come first in the file and are left out.
    const qint64 skipped = bmp.height - qint64(boxedHeight) * k;
    if (!file.seek(bmp.rowsAt + skipped * bmp.stride))
        return QImage();
    std::vector<uint8_t> block(size_t(bmp.stride) * size_t(k));
    std::vector<uint32_t> sums(size_t(boxedWidth) * 3);
    const uint32_t n = uint32_t(k) * uint32_t(k);
    for (int j = 0; j < boxedHeight; ++j) {
        if (file.read(reinterpret_cast<char*>(block.data()), qint64(block.size())) != qint64(block.size()))
            return QImage();
        std::fill(sums.begin(), sums.end(), 0u);
        for (int dy = 0; dy < k; ++dy)
            AddBlockSums(block.data() + size_t(dy) * size_t(bmp.stride), 3, k, boxedWidth, sums);
        // The file's blocks go from the bottom of the picture up.
        StoreBlockMeans(sums, n, reinterpret_cast<QRgb*>(boxed.scanLine(boxedHeight - 1 - j)), boxedWidth);
    }
    return boxed.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The reduced picture centred in a white `target`.
QImage Framed(const QImage& picture, QSize target, QSize inner)
{
    QImage fitted(target, QImage::Format_RGB32);
    if (picture.isNull() || fitted.isNull())
        return QImage();
    fitted.fill(Qt::white);
    QPainter painter(&fitted);
    painter.drawImage(
        QPoint(int((target.width() - inner.width()) * 0.5), int((target.height() - inner.height()) * 0.5)), picture);
    return fitted;
}

} // namespace

std::unique_ptr<DibBitmap> NVBitmap(const QString& path, int w, int h)
{
    return Fit(TNVFreeImage().Load(path), w, h);
}

QImage NVBitmapForOutput(const QString& path, int w, int h, double zoom)
{
    // A large plain BMP (the print bridge's pictures) is reduced as it is read.
    if (QFile file(path); w > 0 && h > 0 && zoom > 0 && file.open(QIODevice::ReadOnly)) {
        if (const auto bmp = PlainBmpOf(file)) {
            const auto [W, H] = FittedSize(bmp->width, bmp->height, w, h);
            const double f = W > 0 && H > 0 ? double(w) * zoom / double(W) : 1.0;
            const auto scaled = [f](qint64 n) { return std::max(1, int(std::lround(double(n) * f))); };
            if (f < 1.0) {
                const QSize inner(scaled(bmp->width), scaled(bmp->height));
                const QImage picture = ReducedFromFile(file, *bmp, inner);
                if (!picture.isNull())
                    return Framed(picture, QSize(scaled(W), scaled(H)), inner);
            }
        }
    }
    auto image = TNVFreeImage().Load(path);
    if (!image)
        return QImage();
    const auto [W, H]
        = w > 0 && h > 0 ? FittedSize(image->Width(), image->Height(), w, h) : std::pair<qint64, qint64>();
    const double f = W > 0 && H > 0 && zoom > 0 ? double(w) * zoom / double(W) : 1.0;
    if (!(f < 1.0)) {
        const auto fitted = Fit(std::move(image), w, h);
        return fitted ? fitted->ToQImage() : QImage();
    }
    const auto scaled = [f](qint64 n) { return std::max(1, int(std::lround(double(n) * f))); };
    const QSize target(scaled(W), scaled(H));
    const QSize inner(scaled(image->Width()), scaled(image->Height()));
    const QImage picture = Reduced(*image, inner);
    image.reset();
    return Framed(picture, target, inner);
}
