#include "report/NVBitmap.h"

#include "common/MessageSink.h"
#include "common/TNVFreeImage.h"

#include <cstring>
#include <vector>

namespace {

// Larger fitted pictures are refused: a tall thin box around a big photograph
// would otherwise ask for tens of gigabytes.
constexpr qint64 kMaxPixels = qint64(1) << 28;

} // namespace

std::unique_ptr<DibBitmap> NVBitmap(const QString& path, int w, int h)
{
    auto image = TNVFreeImage().Load(path);
    if (!image || !image->ConvertTo32Bits())
        return nullptr;
    if (w <= 0 || h <= 0)
        return image;

    const qint64 iw = image->Width();
    const qint64 ih = image->Height();
    const double r = double(h) / double(w);
    qint64 W = 0;
    qint64 H = 0;
    if (double(ih) >= double(iw) * r) {
        H = ih;
        W = qint64(w) * ih / h;
    } else {
        W = iw;
        H = qint64(h) * iw / w;
    }
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
