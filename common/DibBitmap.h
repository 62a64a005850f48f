#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

#include <cstdint>
#include <memory>

// FreeImage's bitmap handle; FreeImage.h is only needed by code that calls FreeImage itself.
struct FIBITMAP;

// A decoded picture laid out as a Windows device-independent bitmap: rows from the
// bottom line upwards, each padded to a multiple of 4 bytes, colours in blue, green,
// red (, alpha) order, palettes for depths up to 8 bits. It owns a FreeImage bitmap
// of the standard type, so a picture that FreeImage decoded is adopted, never copied.
class DibBitmap
{
public:
    // Takes ownership of a FreeImage bitmap of type FIT_BITMAP; nullptr makes a null bitmap.
    explicit DibBitmap(FIBITMAP* adopted = nullptr) noexcept;
    ~DibBitmap();

    DibBitmap(DibBitmap&& other) noexcept;
    DibBitmap& operator=(DibBitmap&& other) noexcept;
    DibBitmap(const DibBitmap&) = delete;
    DibBitmap& operator=(const DibBitmap&) = delete;

    // Takes ownership of a bitmap FreeImage decoded, of any pixel type. Types with more than
    // 8 bits per channel are reduced to 8: 48-bit RGB to 24 bits and 64-bit RGBA to 32
    // (the high byte of each channel), floating-point RGB(A) to 24 (32) bits with each
    // channel clamped to 0..1, 16-bit greyscale to 8-bit greyscale (high byte), and the other
    // single-channel types (signed 16-bit, 32-bit integers, float, double, complex) to 8-bit
    // greyscale scaled linearly from their smallest to their largest value. Standard bitmaps
    // of other depths become 32 bits. nullptr when the conversion fails.
    static std::unique_ptr<DibBitmap> FromFreeImage(FIBITMAP* decoded);

    // A blank bitmap of depth 1, 4, 8, 15, 16, 24 or 32 with all pixel bytes zero; palette
    // depths get a grey ramp. nullptr for a non-positive size, another depth or no memory.
    static std::unique_ptr<DibBitmap> Create(int width, int height, int bpp);

    bool IsNull() const { return m_bitmap == nullptr; }
    int Width() const;
    int Height() const;
    // Bits per pixel: 1, 4, 8, 15 (5-5-5 colour masks), 16 (other 16-bit masks), 24 or 32.
    int Bpp() const;
    // Bytes from one row to the next, a multiple of 4.
    int Pitch() const;
    // Row y counted from the bottom line of the picture (y = 0 is the bottom row).
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;

    // The colour table of a palette bitmap (opaque colours), empty for true colour.
    QList<QRgb> Palette() const;
    int PaletteSize() const;
    // Replaces the first entries of the colour table; false without a palette or with too many colours.
    bool SetPalette(const QList<QRgb>& colours);

    // Converts to 24 or 32 bits per pixel in place; nothing is done (and nothing is
    // allocated) when the bitmap already has that depth. False when out of memory.
    bool ConvertTo24Bits();
    bool ConvertTo32Bits();

    // A top-down copy for drawing: Indexed8 with the colour table for palette depths,
    // BGR888 for 15, 16 and 24 bits, RGB32 for 32 bits unless the alpha channel is used
    // (then ARGB32). A 32-bit bitmap whose alpha bytes are all zero is taken as opaque.
    QImage ToQImage() const;

    // The same picture without a copy where the depth allows: a 24-bit bitmap is turned
    // upright in place and handed over as a BGR888 image that owns FreeImage's pixel
    // memory (the bitmap becomes null); other depths give ToQImage's copy and keep the
    // bitmap. For a picture that is decoded only to be shown, this halves the peak memory.
    QImage TakeQImage();

    // The owned FreeImage bitmap, for code that hands it to FreeImage itself.
    FIBITMAP* Handle() const { return m_bitmap; }
    // Gives up ownership; the bitmap becomes null.
    FIBITMAP* Release() noexcept;

private:
    void Reset(FIBITMAP* bitmap) noexcept;

    FIBITMAP* m_bitmap = nullptr;
};
