#include "report/NVBitmap.h"

#include "tests/support/TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <tuple>

namespace {

// A picture filled with one colour, saved as PNG.
QString SolidPicture(const TestSupport::TempDir& dir, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 200));
    const QString path = dir.Path(QStringLiteral("p%1x%2.png").arg(width).arg(height));
    EXPECT_TRUE(image.save(path));
    return path;
}

// The columns (or rows) of a line of the fitted picture that hold the picture.
std::pair<int, int> Span(const QImage& image, bool horizontal)
{
    const int n = horizontal ? image.width() : image.height();
    int first = -1;
    int last = -1;
    for (int i = 0; i < n; ++i) {
        const QRgb p = horizontal ? image.pixel(i, image.height() / 2) : image.pixel(image.width() / 2, i);
        if (qBlue(p) == 200 && qRed(p) == 10) {
            if (first < 0)
                first = i;
            last = i;
        } else {
            EXPECT_EQ(p | 0xFF000000u, 0xFFFFFFFFu) << i; // bands are white
        }
    }
    return { first, last };
}

} // namespace

TEST(NVBitmap, WideImageInSquareBox_GetsWhiteRowsAboveAndBelow)
{
    TestSupport::TempDir dir;
    const auto fitted = NVBitmap(SolidPicture(dir, 400, 300), 100, 100);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(fitted->Bpp(), 32);
    const QImage image = fitted->ToQImage();
    ASSERT_EQ(image.size(), QSize(400, 400));
    EXPECT_EQ(Span(image, false), std::make_pair(50, 349));
}

TEST(NVBitmap, TallImageInWideBox_GetsWhiteColumnsOnBothSides)
{
    TestSupport::TempDir dir;
    const auto fitted = NVBitmap(SolidPicture(dir, 300, 400), 200, 100);
    ASSERT_TRUE(fitted);
    const QImage image = fitted->ToQImage();
    ASSERT_EQ(image.size(), QSize(800, 400));
    EXPECT_EQ(Span(image, true), std::make_pair(250, 549));
}

TEST(NVBitmap, DegenerateBoxOrFile)
{
    TestSupport::TempDir dir;
    const auto unchanged = NVBitmap(SolidPicture(dir, 30, 20), 0, 100);
    ASSERT_TRUE(unchanged);
    EXPECT_EQ(unchanged->Width(), 30);
    EXPECT_EQ(unchanged->Height(), 20);
    EXPECT_TRUE(NVBitmap(SolidPicture(dir, 30, 20), -5, 10));
    EXPECT_FALSE(NVBitmap(dir.Path("missing.png"), 10, 10));
    // A thin box around a picture would need far too much memory: refused, not attempted.
    EXPECT_FALSE(NVBitmap(SolidPicture(dir, 4000, 10), 1, 1000000));
}

TEST(NVBitmap, ForOutput_ReducedToWhatTheBoxShowsWithTheSameFraming)
{
    TestSupport::TempDir dir;
    const QString big = SolidPicture(dir, 2000, 1500);
    // A 100-unit box shown at 2 pixels per unit needs 200 x 200, the bands scaled alike.
    const QImage reduced = NVBitmapForOutput(big, 100, 100, 2.0);
    ASSERT_EQ(reduced.size(), QSize(200, 200));
    EXPECT_EQ(Span(reduced, false), std::make_pair(25, 174));
    EXPECT_EQ(Span(reduced, true), std::make_pair(0, 199));

    // Pictures that already fit, and a zoom of 0, give exactly NVBitmap's result.
    const QString small = SolidPicture(dir, 400, 300);
    EXPECT_EQ(NVBitmapForOutput(small, 100, 100, 8.0), NVBitmap(small, 100, 100)->ToQImage());
    EXPECT_EQ(NVBitmapForOutput(big, 100, 100, 0.0).size(), QSize(2000, 2000));
    EXPECT_TRUE(NVBitmapForOutput(dir.Path("missing.png"), 100, 100, 1.0).isNull());
}

TEST(NVBitmap, ForOutput_APlainBmpReadRowByRowGivesWhatTheDecodedPictureGives)
{
    // Sides that leave rows and columns over at the blocks' edges, and a pattern that
    // shows any row taken from the wrong place.
    TestSupport::TempDir dir;
    QImage picture(2003, 1501, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb((x * 3 + y) & 255, (y * 7) & 255, ((x ^ y) * 5) & 255));
    const QString png = dir.Path(QStringLiteral("p.png"));
    const QString bmp = dir.Path(QStringLiteral("p.bmp"));
    ASSERT_TRUE(picture.save(png));
    ASSERT_TRUE(picture.save(bmp));
    ASSERT_EQ(TestSupport::ReadAll(bmp).at(28), 24); // the plain form the print bridge writes
    for (const auto& [w, h, zoom] : { std::tuple(150, 100, 0.5), std::tuple(100, 160, 1.3), std::tuple(90, 90, 4.0) })
        EXPECT_EQ(NVBitmapForOutput(bmp, w, h, zoom), NVBitmapForOutput(png, w, h, zoom)) << w << " x " << h;
}
