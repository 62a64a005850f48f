// Handing a decoded picture over without a copy.
#include "common/DibBitmap.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

// Every pixel different; odd widths leave padding at the end of each DIB row.
std::unique_ptr<DibBitmap> Numbered(int width, int height, int bpp)
{
    auto bitmap = DibBitmap::Create(width, height, bpp);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap->ScanLine(y);
        for (int x = 0; x < width * bpp / 8; ++x)
            row[x] = uint8_t(7 * x + 31 * y + 1);
    }
    return bitmap;
}

} // namespace

TEST(DibBitmap, TakeQImage_SameAsTheCopyForEveryHeight)
{
    // Even and odd heights (the middle row of an odd one stays where it is).
    for (const int height : { 1, 4, 5 }) {
        auto bitmap = Numbered(7, height, 24);
        const QImage copy = bitmap->ToQImage();
        const QImage taken = bitmap->TakeQImage();
        EXPECT_TRUE(bitmap->IsNull()) << height;
        ASSERT_EQ(taken.format(), QImage::Format_BGR888);
        EXPECT_EQ(taken, copy) << height;
        // The image owns the pixels now: it outlives the bitmap and can be written.
        bitmap.reset();
        QImage written = taken;
        written.setPixel(0, 0, qRgb(1, 2, 3));
        EXPECT_EQ(written.pixel(0, 0), qRgb(1, 2, 3));
        EXPECT_EQ(taken.pixel(0, 0), copy.pixel(0, 0));
    }
}

TEST(DibBitmap, TakeQImage_OtherDepthsAreCopiedAndKept)
{
    auto bitmap = Numbered(3, 2, 8);
    const QImage taken = bitmap->TakeQImage();
    EXPECT_FALSE(bitmap->IsNull());
    EXPECT_EQ(taken, bitmap->ToQImage());
    EXPECT_TRUE(DibBitmap().TakeQImage().isNull());
}
