#include "canvas/GradientTemplate.h"

#include <cmath>
#include <cstdlib>
#include <functional>

namespace {

int Channel(TColor color, int shift)
{
    return (color >> shift) & 0xFF;
}

// Fills a w x h template with ramp entries chosen per pixel (clamped to 0..255).
QImage Build(int w, int h, TColor begin, TColor end, const std::function<int(int, int)>& index)
{
    QRgb ramp[256];
    for (int i = 0; i < 256; ++i) {
        const TColor c = GradientTemplate::RampColor(begin, end, i);
        ramp[i] = qRgb(Channel(c, 0), Channel(c, 8), Channel(c, 16));
    }
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = ramp[std::clamp(index(x, y), 0, 255)];
    }
    return image;
}

// Rounded distance of (x, y) from (cx, cy).
int Distance(int x, int y, int cx, int cy)
{
    return static_cast<int>(std::lround(std::hypot(double(x - cx), double(y - cy))));
}

} // namespace

TColor GradientTemplate::RampColor(TColor begin, TColor end, int i)
{
    // System colours (negative values) have no channels to blend; they count as black.
    const TColor b = begin < 0 ? 0 : begin;
    const TColor e = end < 0 ? 0 : end;
    TColor result = 0;
    for (int shift : { 0, 8, 16 }) {
        const int from = Channel(b, shift);
        const int to = Channel(e, shift);
        result |= (from + (to - from) * i / 255) << shift;
    }
    return result;
}

QImage GradientTemplate::Render(TGradientStyle style, TColor begin, TColor end)
{
    switch (style) {
    case gsRadialC:
        return Build(362, 362, begin, end, [](int x, int y) { return Distance(x, y, 181, 181); });
    case gsRadialT:
        return Build(362, 181, begin, end, [](int x, int y) { return Distance(x, y, 181, 0); });
    case gsRadialB:
        return Build(362, 181, begin, end, [](int x, int y) { return Distance(x, y, 181, 180); });
    case gsRadialL:
        return Build(181, 362, begin, end, [](int x, int y) { return Distance(x, y, 0, 181); });
    case gsRadialR:
        return Build(181, 362, begin, end, [](int x, int y) { return Distance(x, y, 180, 181); });
    case gsRadialTL:
        return Build(181, 181, begin, end, [](int x, int y) { return Distance(x, y, 0, 0); });
    case gsRadialTR:
        return Build(181, 181, begin, end, [](int x, int y) { return Distance(x, y, 180, 0); });
    case gsRadialBL:
        return Build(181, 181, begin, end, [](int x, int y) { return Distance(x, y, 0, 180); });
    case gsRadialBR:
        return Build(181, 181, begin, end, [](int x, int y) { return Distance(x, y, 180, 180); });
    case gsLinearH:
        return Build(1, 256, begin, end, [](int, int y) { return y; });
    case gsLinearV:
        return Build(256, 1, begin, end, [](int x, int) { return x; });
    case gsReflectedH:
        return Build(1, 512, begin, end, [](int, int y) { return y < 256 ? 255 - y : y - 256; });
    case gsReflectedV:
        return Build(512, 1, begin, end, [](int x, int) { return x < 256 ? 255 - x : x - 256; });
    case gsDiagonalLF:
        return Build(256, 256, begin, end, [](int x, int y) { return (x + y) / 2; });
    case gsDiagonalLB:
        return Build(256, 256, begin, end, [](int x, int y) { return (x + 255 - y) / 2; });
    case gsDiagonalRF:
        return Build(256, 256, begin, end, [](int x, int y) { return (255 - x + y) / 2; });
    case gsDiagonalRB:
        return Build(256, 256, begin, end, [](int x, int y) { return (510 - x - y) / 2; });
    case gsArrowL:
        return Build(129, 256, begin, end, [](int x, int y) { return x + std::abs(y - 128); });
    case gsArrowR:
        return Build(129, 256, begin, end, [](int x, int y) { return 128 - x + std::abs(y - 128); });
    case gsArrowU:
        return Build(256, 129, begin, end, [](int x, int y) { return y + std::abs(x - 128); });
    case gsArrowD:
        return Build(256, 129, begin, end, [](int x, int y) { return 128 - y + std::abs(x - 128); });
    case gsDiamond:
        return Build(256, 256, begin, end, [](int x, int y) { return std::abs(x - 128) + std::abs(y - 128); });
    case gsButterfly:
        return Build(
            256, 256, begin, end, [](int x, int y) { return 2 * std::abs(std::abs(x - 128) - std::abs(y - 128)); });
    default:
        return QImage();
    }
}
