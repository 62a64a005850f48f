#include "common/TNVFreeImage.h"
#include "common/DibBitmap.h"

#include "tests/support/TestSupport.h"

#include <FreeImage.h>

#include <QImage>

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

struct FiDeleter
{
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using FiBitmap = std::unique_ptr<FIBITMAP, FiDeleter>;

// The bytes FreeImage writes for a bitmap in the given format.
QByteArray Encode(FIBITMAP* bitmap, FREE_IMAGE_FORMAT format, int flags = 0)
{
    FIMEMORY* stream = FreeImage_OpenMemory();
    QByteArray bytes;
    if (FreeImage_SaveToMemory(format, bitmap, stream, flags)) {
        BYTE* data = nullptr;
        DWORD size = 0;
        FreeImage_AcquireMemory(stream, &data, &size);
        bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    }
    FreeImage_CloseMemory(stream);
    return bytes;
}

// A 24-bit picture whose top half is red and bottom half blue (in picture terms, not DIB rows).
FiBitmap RedOverBlue(int width, int height)
{
    FiBitmap bitmap(FreeImage_Allocate(width, height, 24));
    for (int row = 0; row < height; ++row) {
        BYTE* line = FreeImage_GetScanLine(bitmap.get(), row);
        const bool top = row >= height / 2; // DIB row 0 is the bottom line
        for (int x = 0; x < width; ++x) {
            line[3 * x + FI_RGBA_RED] = top ? 255 : 0;
            line[3 * x + FI_RGBA_GREEN] = 0;
            line[3 * x + FI_RGBA_BLUE] = top ? 0 : 255;
        }
    }
    return bitmap;
}

// The red, green and blue bytes of one 24-bit pixel, counted from the bottom row.
std::array<int, 3> Rgb(const DibBitmap& bitmap, int x, int y)
{
    const uint8_t* pixel = bitmap.ScanLine(y) + 3 * x;
    return { pixel[FI_RGBA_RED], pixel[FI_RGBA_GREEN], pixel[FI_RGBA_BLUE] };
}

} // namespace

TEST(DibBitmap, Create_EveryDepth_HasPaddedRowsAndPalette)
{
    for (int bpp : { 1, 4, 8, 15, 16, 24, 32 }) {
        const auto bitmap = DibBitmap::Create(13, 5, bpp);
        ASSERT_TRUE(bitmap) << bpp;
        EXPECT_EQ(bitmap->Width(), 13);
        EXPECT_EQ(bitmap->Height(), 5);
        EXPECT_EQ(bitmap->Bpp(), bpp);
        const int bits = bpp == 15 ? 16 : bpp;
        EXPECT_EQ(bitmap->Pitch(), (13 * bits + 31) / 32 * 4) << bpp;
        EXPECT_EQ(bitmap->PaletteSize(), bpp <= 8 ? 1 << bpp : 0) << bpp;
        EXPECT_EQ(bitmap->ScanLine(1) - bitmap->ScanLine(0), bitmap->Pitch());
        EXPECT_EQ(bitmap->ScanLine(5), nullptr);
    }
    EXPECT_FALSE(DibBitmap::Create(0, 5, 24));
    EXPECT_FALSE(DibBitmap::Create(5, 5, 12));
}

TEST(DibBitmap, Convert_AtSameDepth_KeepsTheBuffer)
{
    auto bitmap = DibBitmap::Create(64, 64, 24);
    const uint8_t* bits = bitmap->ScanLine(0);
    ASSERT_TRUE(bitmap->ConvertTo24Bits());
    EXPECT_EQ(bitmap->ScanLine(0), bits);
    ASSERT_TRUE(bitmap->ConvertTo32Bits());
    EXPECT_EQ(bitmap->Bpp(), 32);
    bits = bitmap->ScanLine(0);
    ASSERT_TRUE(bitmap->ConvertTo32Bits());
    EXPECT_EQ(bitmap->ScanLine(0), bits);
}

TEST(DibBitmap, Move_TransfersOwnership)
{
    auto made = DibBitmap::Create(3, 2, 8);
    DibBitmap first(made->Release());
    EXPECT_TRUE(made->IsNull());
    DibBitmap second(std::move(first));
    EXPECT_TRUE(first.IsNull());
    EXPECT_EQ(second.Width(), 3);
    first = std::move(second);
    EXPECT_EQ(first.Height(), 2);
    EXPECT_EQ(first.ToQImage().size(), QSize(3, 2));
}

TEST(DibBitmap, ToQImage_TopRowIsTopOfPicture)
{
    DibBitmap bitmap(RedOverBlue(6, 4).release());
    const QImage image = bitmap.ToQImage();
    ASSERT_EQ(image.size(), QSize(6, 4));
    EXPECT_EQ(image.pixel(2, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(5, 3), qRgb(0, 0, 255));

    ASSERT_TRUE(bitmap.ConvertTo32Bits());
    const QImage opaque = bitmap.ToQImage();
    EXPECT_EQ(opaque.format(), QImage::Format_RGB32);
    EXPECT_EQ(opaque.pixel(0, 0), qRgb(255, 0, 0));
}

TEST(DibBitmap, ToQImage_AlphaChannel)
{
    auto bitmap = DibBitmap::Create(2, 1, 32);
    // An alpha channel of zeros only (a 32-bit BMP that does not use it) is opaque.
    std::memcpy(bitmap->ScanLine(0), "\x10\x20\x30\x00\x40\x50\x60\x00", 8);
    QImage image = bitmap->ToQImage();
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(1, 0), qRgb(0x60, 0x50, 0x40));
    bitmap->ScanLine(0)[3] = 0x80;
    image = bitmap->ToQImage();
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(image.pixel(0, 0), qRgba(0x30, 0x20, 0x10, 0x80));
    EXPECT_EQ(qAlpha(image.pixel(1, 0)), 0);
}

TEST(DibBitmap, ToQImage_SmallDepths_ExpandToIndexed8)
{
    for (int bpp : { 1, 4, 8 }) {
        auto bitmap = DibBitmap::Create(9, 2, bpp);
        const int last = (1 << bpp) - 1;
        ASSERT_TRUE(bitmap->SetPalette({ qRgb(1, 2, 3), qRgb(200, 100, 50) }));
        std::memset(bitmap->ScanLine(1), 0xFF, static_cast<size_t>(bitmap->Pitch())); // top row: highest index
        const QImage image = bitmap->ToQImage();
        ASSERT_EQ(image.format(), QImage::Format_Indexed8) << bpp;
        EXPECT_EQ(image.colorCount(), 1 << bpp);
        EXPECT_EQ(image.pixelIndex(8, 0), last) << bpp;
        EXPECT_EQ(image.pixelIndex(8, 1), 0) << bpp;
        EXPECT_EQ(image.pixel(0, 1), qRgb(1, 2, 3));
    }
}

TEST(DibBitmap, SixteenBits_MasksDecideDepthAndColours)
{
    auto rgb555 = DibBitmap::Create(1, 1, 15);
    auto rgb565 = DibBitmap::Create(1, 1, 16);
    const quint16 red555 = 0x7C00;
    const quint16 green565 = 0x07E0;
    std::memcpy(rgb555->ScanLine(0), &red555, 2);
    std::memcpy(rgb565->ScanLine(0), &green565, 2);
    EXPECT_EQ(rgb555->ToQImage().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(rgb565->ToQImage().pixel(0, 0), qRgb(0, 255, 0));
    ASSERT_TRUE(rgb555->ConvertTo24Bits());
    EXPECT_EQ(Rgb(*rgb555, 0, 0), (std::array<int, 3> { 255, 0, 0 }));
}

TEST(TNVFreeImage, Load_TypeComesFromContentsNotName)
{
    TestSupport::TempDir dir;
    const FiBitmap picture = RedOverBlue(10, 8);
    const QString path = dir.Write("really-a-png.jpg", Encode(picture.get(), FIF_PNG));
    QString error = "stale";
    const auto bitmap = TNVFreeImage().Load(path, &error);
    ASSERT_TRUE(bitmap) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(bitmap->Bpp(), 24);
    EXPECT_EQ(Rgb(*bitmap, 0, 7), (std::array<int, 3> { 255, 0, 0 })); // lossless, so exact
    EXPECT_EQ(Rgb(*bitmap, 0, 0), (std::array<int, 3> { 0, 0, 255 }));
}

TEST(TNVFreeImage, Load_PaletteDepths_KeepPaletteAndConvertToTrueColour)
{
    TestSupport::TempDir dir;
    for (int bpp : { 1, 4, 8 }) {
        FiBitmap picture(FreeImage_Allocate(16, 4, bpp));
        RGBQUAD* palette = FreeImage_GetPalette(picture.get());
        palette[0] = RGBQUAD { 10, 20, 30, 0 }; // blue, green, red
        palette[1] = RGBQUAD { 200, 150, 100, 0 };
        FreeImage_SetPixelIndex(picture.get(), 3, 2, std::array<BYTE, 1> { 1 }.data());
        for (FREE_IMAGE_FORMAT format : { FIF_BMP, FIF_PNG, FIF_TIFF }) {
            const QString path = dir.Write(QString("p%1-%2").arg(bpp).arg(format), Encode(picture.get(), format));
            QString error;
            auto bitmap = TNVFreeImage().Load(path, &error);
            ASSERT_TRUE(bitmap) << error.toStdString();
            EXPECT_EQ(bitmap->Bpp(), bpp) << format;
            EXPECT_EQ(bitmap->PaletteSize(), 1 << bpp) << format;
            EXPECT_EQ(bitmap->Palette().value(1), qRgb(100, 150, 200)) << format;
            ASSERT_TRUE(bitmap->ConvertTo24Bits());
            EXPECT_EQ(Rgb(*bitmap, 3, 2), (std::array<int, 3> { 100, 150, 200 })) << bpp << " " << format;
            EXPECT_EQ(Rgb(*bitmap, 4, 2), (std::array<int, 3> { 30, 20, 10 })) << bpp << " " << format;
        }
    }
}

TEST(TNVFreeImage, Load_SixteenBitGreyAndFortyEightBitColour_BecomeEightBitsPerChannel)
{
    TestSupport::TempDir dir;
    FiBitmap grey(FreeImage_AllocateT(FIT_UINT16, 4, 2));
    reinterpret_cast<WORD*>(FreeImage_GetScanLine(grey.get(), 1))[2] = 0xAB12;
    FiBitmap colour(FreeImage_AllocateT(FIT_RGB16, 4, 2));
    reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(colour.get(), 1))[2] = FIRGB16 { 0x1234, 0xABCD, 0xFF00 };
    FiBitmap withAlpha(FreeImage_AllocateT(FIT_RGBA16, 4, 2));
    reinterpret_cast<FIRGBA16*>(FreeImage_GetScanLine(withAlpha.get(), 1))[2]
        = FIRGBA16 { 0x1234, 0xABCD, 0xFF00, 0x8000 };

    for (FREE_IMAGE_FORMAT format : { FIF_PNG, FIF_TIFF }) {
        const auto g = TNVFreeImage().Load(dir.Write(QString("g%1").arg(format), Encode(grey.get(), format)));
        ASSERT_TRUE(g);
        EXPECT_EQ(g->Bpp(), 8);
        EXPECT_EQ(g->ScanLine(1)[2], 0xAB);
        EXPECT_EQ(g->Palette().value(0xAB), qRgb(0xAB, 0xAB, 0xAB));

        const auto c = TNVFreeImage().Load(dir.Write(QString("c%1").arg(format), Encode(colour.get(), format)));
        ASSERT_TRUE(c);
        EXPECT_EQ(c->Bpp(), 24);
        EXPECT_EQ(Rgb(*c, 2, 1), (std::array<int, 3> { 0x12, 0xAB, 0xFF }));

        const auto a = TNVFreeImage().Load(dir.Write(QString("a%1").arg(format), Encode(withAlpha.get(), format)));
        ASSERT_TRUE(a);
        EXPECT_EQ(a->Bpp(), 32);
        EXPECT_EQ(a->ScanLine(1)[4 * 2 + FI_RGBA_ALPHA], 0x80);
    }
}

TEST(TNVFreeImage, Load_FloatingPointTiff_ClampsColourAndScalesGrey)
{
    TestSupport::TempDir dir;
    FiBitmap colour(FreeImage_AllocateT(FIT_RGBF, 2, 1));
    reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(colour.get(), 0))[0] = FIRGBF { 0.5f, 2.0f, -1.0f };
    const auto c = TNVFreeImage().Load(dir.Write("rgbf.tif", Encode(colour.get(), FIF_TIFF)));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Bpp(), 24);
    EXPECT_EQ(Rgb(*c, 0, 0), (std::array<int, 3> { 128, 255, 0 }));

    FiBitmap grey(FreeImage_AllocateT(FIT_FLOAT, 3, 1));
    auto* values = reinterpret_cast<float*>(FreeImage_GetScanLine(grey.get(), 0));
    values[0] = -4.0f;
    values[1] = 0.0f;
    values[2] = 4.0f;
    const auto g = TNVFreeImage().Load(dir.Write("float.tif", Encode(grey.get(), FIF_TIFF)));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Bpp(), 8);
    EXPECT_EQ(g->ScanLine(0)[0], 0);
    EXPECT_NEAR(g->ScanLine(0)[1], 128, 1);
    EXPECT_EQ(g->ScanLine(0)[2], 255);
}

TEST(TNVFreeImage, Load_FifteenBitBmp_ReportsFifteen)
{
    TestSupport::TempDir dir;
    FiBitmap picture(FreeImage_Allocate(3, 3, 16, FI16_555_RED_MASK, FI16_555_GREEN_MASK, FI16_555_BLUE_MASK));
    const auto bitmap = TNVFreeImage().Load(dir.Write("x.bmp", Encode(picture.get(), FIF_BMP)));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Bpp(), 15);
}

TEST(TNVFreeImage, Load_MultiPageFiles_GiveFirstPage)
{
    TestSupport::TempDir dir;
    for (FREE_IMAGE_FORMAT format : { FIF_TIFF, FIF_GIF }) {
        const QString path = dir.Path(format == FIF_TIFF ? "pages.tif" : "pages.gif");
        FIMULTIBITMAP* pages = FreeImage_OpenMultiBitmap(format, QFile::encodeName(path).constData(), TRUE, FALSE);
        ASSERT_NE(pages, nullptr);
        for (int width : { 7, 11 }) {
            FiBitmap page(FreeImage_Allocate(width, 5, 8));
            FreeImage_AppendPage(pages, page.get());
        }
        FreeImage_CloseMultiBitmap(pages);
        const auto bitmap = TNVFreeImage().Load(path);
        ASSERT_TRUE(bitmap) << format;
        EXPECT_EQ(bitmap->Width(), 7) << format;
    }
}

TEST(TNVFreeImage, Load_Jpeg_DecodesTwentyFourBits)
{
    TestSupport::TempDir dir;
    const FiBitmap picture = RedOverBlue(32, 32);
    const auto bitmap = TNVFreeImage().Load(dir.Write("a.jpg", Encode(picture.get(), FIF_JPEG, JPEG_QUALITYSUPERB)));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Bpp(), 24);
    const QImage image = bitmap->ToQImage();
    EXPECT_GT(qRed(image.pixel(16, 2)), 240);
    EXPECT_GT(qBlue(image.pixel(16, 29)), 240);
}

TEST(TNVFreeImage, Load_UnusableFiles_GiveNothingAndAReason)
{
    TestSupport::TempDir dir;
    FiBitmap noisy(FreeImage_Allocate(64, 64, 24));
    for (unsigned i = 0; i < 64 * FreeImage_GetPitch(noisy.get()); ++i)
        FreeImage_GetBits(noisy.get())[i] = static_cast<BYTE>(i * 7919 >> 3);
    const QByteArray jpeg = Encode(noisy.get(), FIF_JPEG);
    const QByteArray png = Encode(noisy.get(), FIF_PNG);
    // A BMP header that claims 100000 x 100000 pixels in a 70-byte file.
    QByteArray hugeBmp = Encode(RedOverBlue(2, 2).get(), FIF_BMP);
    const qint32 side = 100000;
    std::memcpy(hugeBmp.data() + 18, &side, 4);
    std::memcpy(hugeBmp.data() + 22, &side, 4);
    // A 1 x 1 GIF whose frame claims 40000 x 40000 pixels; FreeImage cannot read GIF headers alone.
    const QByteArray hugeGif = QByteArray::fromHex("474946383961010001008000000000"
                                                   "00ffffff2c00000000409c409c000202440100"
                                                   "3b");

    // Regression: FreeImage allocated this icon at 8 bits but read its rows at 12, past the buffer.
    QByteArray oddIcon = Encode(FiBitmap(FreeImage_Allocate(16, 16, 8)).get(), FIF_ICO);
    oddIcon[22 + 14] = 12;

    // Regression: FreeImage allocated one row for this height of -1 but wrote 2^32 - 1 rows.
    const QByteArray negativeHdr
        = QByteArray("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y -1 +X 8\n") + QByteArray(64, '\x80');

    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        { "empty.png", "", "file is empty" },
        { "noise.dat", QByteArray(300, '\x5A'), "contents are not a picture Pelorix can read" },
        { "cut.jpg", jpeg.left(jpeg.size() * 2 / 3), "JPEG data ends before the picture is complete" },
        { "cut.png", png.left(png.size() / 2), "FreeImage could not decode the picture (damaged or unsupported)" },
        { "header.jpg", jpeg.left(20), "JPEG header ends early (truncated file)" },
        { "cut.bmp", Encode(RedOverBlue(8, 8).get(), FIF_BMP).left(100), "BMP pixel data ends early" },
        { "odd-depth.ico", oddIcon, "icon header is damaged (16 x 16 pixels, 12 bits per pixel)" },
        { "negative.hdr", negativeHdr, "Radiance picture size is damaged: -Y -1 +X 8" },
        { "huge.bmp", hugeBmp, "picture is too large: 100000 x 100000 pixels" },
        { "huge.gif", hugeGif, "picture is too large: 40000 x 40000 pixels" },
    };
    for (const auto& c : cases) {
        QString fromFile;
        QString fromMemory;
        EXPECT_FALSE(TNVFreeImage().Load(dir.Write(c.name, c.bytes), &fromFile)) << c.name;
        EXPECT_TRUE(fromFile.startsWith(c.reason)) << c.name << ": " << fromFile.toStdString();
        EXPECT_FALSE(TNVFreeImage().LoadFromMemory(c.bytes, &fromMemory)) << c.name;
        EXPECT_TRUE(c.bytes.isEmpty() ? fromMemory == "picture data is empty" : fromMemory.startsWith(c.reason))
            << c.name << ": " << fromMemory.toStdString();
    }
    QString error;
    EXPECT_FALSE(TNVFreeImage().Load(dir.Path("missing.png"), &error));
    EXPECT_EQ(error, "file does not exist");
    EXPECT_FALSE(TNVFreeImage().Load(dir.Root(), &error));
}

TEST(TNVFreeImage, Limits_RefuseBeforeDecoding)
{
    const QByteArray png = Encode(RedOverBlue(100, 50).get(), FIF_PNG);
    QString error;
    EXPECT_TRUE(TNVFreeImage().LoadFromMemory(png, &error));
    EXPECT_FALSE(TNVFreeImage({ .maxSide = 99 }).LoadFromMemory(png, &error));
    EXPECT_EQ(error, "picture is too large: 100 x 50 pixels (at most 99 pixels a side)");
    EXPECT_FALSE(TNVFreeImage({ .maxPixelBytes = 100 * 50 * 3 - 1 }).LoadFromMemory(png, &error));
    EXPECT_EQ(error, "picture is too large: 100 x 50 pixels need 15000 bytes (at most 14999 bytes)");
}

TEST(TNVFreeImage, CopyrightMessage_NamesFreeImage)
{
    EXPECT_TRUE(TNVFreeImage::CopyrightMessage().contains("FreeImage"));
}
