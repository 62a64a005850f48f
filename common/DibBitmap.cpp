#include "common/DibBitmap.h"

#include <FreeImage.h>

#include <cstring>
#include <utility>
#include <vector>

namespace {

bool HasMasks555(FIBITMAP* bitmap)
{
    return FreeImage_GetRedMask(bitmap) == FI16_555_RED_MASK && FreeImage_GetGreenMask(bitmap) == FI16_555_GREEN_MASK
        && FreeImage_GetBlueMask(bitmap) == FI16_555_BLUE_MASK;
}

// Expands one row of 1-, 4- or 8-bit palette indices to one byte per pixel.
void ExpandIndices(const uint8_t* source, uint8_t* target, int width, int bpp)
{
    switch (bpp) {
    case 1:
        for (int x = 0; x < width; ++x)
            target[x] = (source[x >> 3] >> (7 - (x & 7))) & 1;
        break;
    case 4:
        for (int x = 0; x < width; ++x)
            target[x] = (x & 1) ? (source[x >> 1] & 0x0F) : (source[x >> 1] >> 4);
        break;
    default:
        std::memcpy(target, source, static_cast<size_t>(width));
        break;
    }
}

// Copies a 24- or 32-bit FreeImage bitmap row by row into a top-down QImage of the same layout.
QImage CopyRowsFlipped(FIBITMAP* bitmap, QImage::Format format)
{
    const int width = static_cast<int>(FreeImage_GetWidth(bitmap));
    const int height = static_cast<int>(FreeImage_GetHeight(bitmap));
    QImage image(width, height, format);
    if (image.isNull())
        return image;
    const size_t rowBytes = FreeImage_GetLine(bitmap);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), FreeImage_GetScanLine(bitmap, height - 1 - y), rowBytes);
    return image;
}

BYTE FloatToByte(float value)
{
    if (value >= 1.0f)
        return 255;
    if (value > 0.0f)
        return static_cast<BYTE>(value * 255.0f + 0.5f);
    return 0; // also NaN
}

template <typename Pixel, bool withAlpha> FIBITMAP* FloatToBitmap(FIBITMAP* source)
{
    const unsigned width = FreeImage_GetWidth(source);
    const unsigned height = FreeImage_GetHeight(source);
    FIBITMAP* target = FreeImage_Allocate(width, height, withAlpha ? 32 : 24);
    if (target == nullptr)
        return nullptr;
    const unsigned step = withAlpha ? 4 : 3;
    for (unsigned y = 0; y < height; ++y) {
        const auto* from = reinterpret_cast<const Pixel*>(FreeImage_GetScanLine(source, y));
        BYTE* to = FreeImage_GetScanLine(target, y);
        for (unsigned x = 0; x < width; ++x, to += step) {
            to[FI_RGBA_RED] = FloatToByte(from[x].red);
            to[FI_RGBA_GREEN] = FloatToByte(from[x].green);
            to[FI_RGBA_BLUE] = FloatToByte(from[x].blue);
            if constexpr (withAlpha)
                to[FI_RGBA_ALPHA] = FloatToByte(from[x].alpha);
        }
    }
    return target;
}

} // namespace

DibBitmap::DibBitmap(FIBITMAP* adopted) noexcept
    : m_bitmap(adopted)
{
}

DibBitmap::~DibBitmap()
{
    Reset(nullptr);
}

DibBitmap::DibBitmap(DibBitmap&& other) noexcept
    : m_bitmap(other.Release())
{
}

DibBitmap& DibBitmap::operator=(DibBitmap&& other) noexcept
{
    if (this != &other)
        Reset(other.Release());
    return *this;
}

void DibBitmap::Reset(FIBITMAP* bitmap) noexcept
{
    if (m_bitmap != nullptr)
        FreeImage_Unload(m_bitmap);
    m_bitmap = bitmap;
}

FIBITMAP* DibBitmap::Release() noexcept
{
    return std::exchange(m_bitmap, nullptr);
}

std::unique_ptr<DibBitmap> DibBitmap::FromFreeImage(FIBITMAP* decoded)
{
    if (decoded == nullptr)
        return nullptr;
    DibBitmap source(decoded);
    FIBITMAP* converted = nullptr;
    switch (FreeImage_GetImageType(decoded)) {
    case FIT_BITMAP:
        switch (FreeImage_GetBPP(decoded)) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            return std::make_unique<DibBitmap>(source.Release());
        default:
            converted = FreeImage_ConvertTo32Bits(decoded);
            break;
        }
        break;
    case FIT_RGB16:
        converted = FreeImage_ConvertTo24Bits(decoded);
        break;
    case FIT_RGBA16:
        converted = FreeImage_ConvertTo32Bits(decoded);
        break;
    case FIT_RGBF:
        converted = FloatToBitmap<FIRGBF, false>(decoded);
        break;
    case FIT_RGBAF:
        converted = FloatToBitmap<FIRGBAF, true>(decoded);
        break;
    case FIT_UINT16:
        converted = FreeImage_ConvertTo8Bits(decoded); // the high byte of each sample
        break;
    default:
        converted = FreeImage_ConvertToStandardType(decoded, TRUE);
        break;
    }
    auto result = std::make_unique<DibBitmap>(converted);
    if (converted == nullptr || FreeImage_GetImageType(converted) != FIT_BITMAP)
        return nullptr;
    return result;
}

std::unique_ptr<DibBitmap> DibBitmap::Create(int width, int height, int bpp)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    FIBITMAP* bitmap = nullptr;
    switch (bpp) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
        // FreeImage gives palette bitmaps a grey ramp and zeroes the pixels.
        bitmap = FreeImage_Allocate(width, height, bpp);
        break;
    case 15:
        bitmap = FreeImage_Allocate(width, height, 16, FI16_555_RED_MASK, FI16_555_GREEN_MASK, FI16_555_BLUE_MASK);
        break;
    case 16:
        bitmap = FreeImage_Allocate(width, height, 16, FI16_565_RED_MASK, FI16_565_GREEN_MASK, FI16_565_BLUE_MASK);
        break;
    default:
        return nullptr;
    }
    if (bitmap == nullptr)
        return nullptr;
    return std::make_unique<DibBitmap>(bitmap);
}

int DibBitmap::Width() const
{
    return m_bitmap ? static_cast<int>(FreeImage_GetWidth(m_bitmap)) : 0;
}

int DibBitmap::Height() const
{
    return m_bitmap ? static_cast<int>(FreeImage_GetHeight(m_bitmap)) : 0;
}

int DibBitmap::Bpp() const
{
    if (m_bitmap == nullptr)
        return 0;
    const int bpp = static_cast<int>(FreeImage_GetBPP(m_bitmap));
    return (bpp == 16 && HasMasks555(m_bitmap)) ? 15 : bpp;
}

int DibBitmap::Pitch() const
{
    return m_bitmap ? static_cast<int>(FreeImage_GetPitch(m_bitmap)) : 0;
}

uint8_t* DibBitmap::ScanLine(int y)
{
    if (m_bitmap == nullptr || y < 0 || y >= Height())
        return nullptr;
    return FreeImage_GetScanLine(m_bitmap, y);
}

const uint8_t* DibBitmap::ScanLine(int y) const
{
    return const_cast<DibBitmap*>(this)->ScanLine(y);
}

int DibBitmap::PaletteSize() const
{
    if (m_bitmap == nullptr || FreeImage_GetPalette(m_bitmap) == nullptr)
        return 0;
    return static_cast<int>(FreeImage_GetColorsUsed(m_bitmap));
}

QList<QRgb> DibBitmap::Palette() const
{
    QList<QRgb> colours;
    const int count = PaletteSize();
    if (count == 0)
        return colours;
    const RGBQUAD* palette = FreeImage_GetPalette(m_bitmap);
    colours.reserve(count);
    for (int i = 0; i < count; ++i)
        colours.append(qRgb(palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue));
    return colours;
}

bool DibBitmap::SetPalette(const QList<QRgb>& colours)
{
    const int count = PaletteSize();
    if (count == 0 || colours.size() > count)
        return false;
    RGBQUAD* palette = FreeImage_GetPalette(m_bitmap);
    for (int i = 0; i < colours.size(); ++i) {
        palette[i].rgbRed = static_cast<BYTE>(qRed(colours[i]));
        palette[i].rgbGreen = static_cast<BYTE>(qGreen(colours[i]));
        palette[i].rgbBlue = static_cast<BYTE>(qBlue(colours[i]));
        palette[i].rgbReserved = 0;
    }
    return true;
}

bool DibBitmap::ConvertTo24Bits()
{
    if (m_bitmap == nullptr)
        return false;
    if (FreeImage_GetBPP(m_bitmap) == 24)
        return true;
    FIBITMAP* converted = FreeImage_ConvertTo24Bits(m_bitmap);
    if (converted == nullptr)
        return false;
    Reset(converted);
    return true;
}

bool DibBitmap::ConvertTo32Bits()
{
    if (m_bitmap == nullptr)
        return false;
    if (FreeImage_GetBPP(m_bitmap) == 32)
        return true;
    FIBITMAP* converted = FreeImage_ConvertTo32Bits(m_bitmap);
    if (converted == nullptr)
        return false;
    Reset(converted);
    return true;
}

QImage DibBitmap::ToQImage() const
{
    if (m_bitmap == nullptr)
        return {};
    const int width = Width();
    const int height = Height();
    const int bpp = static_cast<int>(FreeImage_GetBPP(m_bitmap));

    if (bpp <= 8) {
        QImage image(width, height, QImage::Format_Indexed8);
        if (image.isNull())
            return image;
        image.setColorTable(Palette());
        for (int y = 0; y < height; ++y)
            ExpandIndices(FreeImage_GetScanLine(m_bitmap, height - 1 - y), image.scanLine(y), width, bpp);
        return image;
    }

    if (bpp == 16) {
        // Rare enough that a temporary 24-bit copy is the simplest correct way to honour the masks.
        DibBitmap trueColour(FreeImage_ConvertTo24Bits(m_bitmap));
        return trueColour.IsNull() ? QImage() : trueColour.ToQImage();
    }

    if (bpp == 24)
        return CopyRowsFlipped(m_bitmap, QImage::Format_BGR888);

    if (bpp != 32)
        return {};

    // Blue, green, red, alpha bytes are the little-endian 0xAARRGGBB that QImage's 32-bit formats use.
    bool allOpaque = true;
    bool allClear = true;
    for (int y = 0; y < height && (allOpaque || allClear); ++y) {
        const uint8_t* row = FreeImage_GetScanLine(m_bitmap, y);
        for (int x = 0; x < width; ++x) {
            const uint8_t alpha = row[4 * x + 3];
            allOpaque = allOpaque && alpha == 0xFF;
            allClear = allClear && alpha == 0;
        }
    }
    if (allOpaque || !allClear)
        return CopyRowsFlipped(m_bitmap, allOpaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);

    // An unused alpha channel (all zero, as many 32-bit BMP writers leave it) means opaque.
    QImage image = CopyRowsFlipped(m_bitmap, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            pixels[x] |= 0xFF000000u;
    }
    return image;
}

QImage DibBitmap::TakeQImage()
{
    if (m_bitmap == nullptr || FreeImage_GetBPP(m_bitmap) != 24)
        return ToQImage();
    const int width = Width();
    const int height = Height();
    const int pitch = Pitch();
    // Turned upright by swapping rows pairwise: no second picture is ever allocated.
    std::vector<uint8_t> spare(static_cast<size_t>(pitch));
    for (int y = 0; y < height / 2; ++y) {
        uint8_t* top = FreeImage_GetScanLine(m_bitmap, height - 1 - y);
        uint8_t* bottom = FreeImage_GetScanLine(m_bitmap, y);
        std::memcpy(spare.data(), top, size_t(pitch));
        std::memcpy(top, bottom, size_t(pitch));
        std::memcpy(bottom, spare.data(), size_t(pitch));
    }
    FIBITMAP* owned = Release();
    // FreeImage's rows start at the bottom line; after the swap that is the top row.
    QImage image(
        FreeImage_GetScanLine(owned, 0), width, height, pitch, QImage::Format_BGR888,
        [](void* bitmap) { FreeImage_Unload(static_cast<FIBITMAP*>(bitmap)); }, owned);
    if (image.isNull())
        FreeImage_Unload(owned);
    return image;
}
