// Whole pages: size, page colour, frame, head and foot, layer lists, zoom kept.
#include "tests/canvas/CanvasBuilders.h"
#include "tests/canvas/GuiEnvironment.h"

#include "canvas/TMyCAD.h"
#include "canvas/TMyLine.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace CanvasBuilders;

namespace {

bool IsColor(const QImage& image, int x, int y, QColor color)
{
    return QColor(image.pixel(x, y)) == color;
}

} // namespace

TEST(RenderPage, A4PortraitAtZoom1_Is794By1123AndKeepsZoom)
{
    TMyCAD cad;
    cad.SetZoom(0.5);
    const QImage page = cad.RenderPage({}, 1.0);
    EXPECT_EQ(page.size(), QSize(794, 1123));
    EXPECT_DOUBLE_EQ(cad.Zoom(), 0.5);
    cad.SetPageOrientation(poLandscape);
    EXPECT_EQ(cad.RenderPage({}, 2.0).size(), QSize(2245, 1587));
    EXPECT_TRUE(cad.RenderPage({}, 0.0).isNull());
}

TEST(RenderPage, FrameAndPageColour_FollowPrintSettings)
{
    TMyCAD cad;
    cad.SetColorOfBackGround(0x0000FF); // red
    QImage page = cad.RenderPage({}, 1.0);
    EXPECT_TRUE(IsColor(page, 5, 5, Qt::white)); // the page colour only with PrintBackground
    EXPECT_TRUE(IsColor(page, 20, 100, Qt::black)); // frame 20 pixels in
    EXPECT_TRUE(IsColor(page, 400, 20, Qt::black));
    EXPECT_TRUE(IsColor(page, 793 - 20, 100, Qt::black));
    EXPECT_TRUE(IsColor(page, 400, 1122 - 20, Qt::black));
    EXPECT_TRUE(IsColor(page, 21, 100, Qt::white));

    cad.SetPrintBackground(true);
    cad.SetPrintABorder(false);
    page = cad.RenderPage({}, 1.0);
    EXPECT_TRUE(IsColor(page, 5, 5, Qt::red));
    EXPECT_TRUE(IsColor(page, 20, 100, Qt::red));
}

TEST(RenderPage, PrinterRules_NoPageFillAndPensTimesZoom)
{
    TMyCAD cad;
    cad.SetPrintABorder(false);
    cad.SetColorOfBackGround(0x00FF00);
    AddLine(cad, 10, 50, 90, 50);
    TMyShape* line = cad.ShapeByIndex(0);
    TMyPen pen = line->Pen();
    pen.width = 2;
    line->SetPen(pen);

    QImage page(200, 200, QImage::Format_RGB32);
    page.fill(Qt::blue);
    {
        QPainter painter(&page);
        cad.PaintPage(painter, page.size(), 2.0, {}, true);
    }
    EXPECT_TRUE(IsColor(page, 5, 5, Qt::blue)); // printing fills only with PrintBackground
    int thick = 0;
    for (int y = 90; y < 110; ++y)
        thick += IsColor(page, 100, y, Qt::black);
    EXPECT_EQ(thick, 4); // width 2 times zoom 2
}

TEST(RenderPage, LayerList_DrawsOnlyListedLayers)
{
    TMyCAD cad;
    cad.SetPrintABorder(false);
    AddRect(cad, 10, 10, 30, 30);
    const int hairs = cad.AddLayer("HairLayer", true);
    AddRect(cad, 100, 10, 30, 30);
    TMyBrush black;
    black.color = 0;
    cad.ShapeByIndex(0)->SetBrush(black);
    cad.ShapeByIndex(1)->SetBrush(black);

    QImage only = cad.RenderPage({ hairs }, 1.0);
    EXPECT_TRUE(IsColor(only, 25, 25, Qt::white));
    EXPECT_TRUE(IsColor(only, 115, 25, Qt::black));
    QImage all = cad.RenderPage({}, 1.0);
    EXPECT_TRUE(IsColor(all, 25, 25, Qt::black));
    EXPECT_TRUE(IsColor(all, 115, 25, Qt::black));
}

TEST(RenderPage, HeadAndFoot_PlacedByAlignment)
{
    TMyCAD cad;
    cad.SetPrintABorder(false);
    cad.SetPageHead("HEAD");
    cad.SetPageHeadAlignment(taLeftJustify);
    cad.SetPageFoot("FOOT");
    const QImage page = cad.RenderPage({}, 1.0);
    // Ink of the head starts at the left margin, 15 pixels from the top; the foot sits
    // right-aligned 15 pixels above the bottom.
    auto inkIn = [&](QRect area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(page.pixel(x, y)) < 128)
                    return true;
        return false;
    };
    EXPECT_TRUE(inkIn(QRect(20, 15, 60, 20)));
    EXPECT_FALSE(inkIn(QRect(0, 0, 19, 60)));
    EXPECT_FALSE(inkIn(QRect(0, 0, 794, 14)));
    EXPECT_TRUE(inkIn(QRect(794 - 20 - 80, 1123 - 15 - 20, 80, 20)));
    EXPECT_FALSE(inkIn(QRect(794 - 19, 1000, 19, 123)));
}

namespace {

// A print device that reports exactly two colours, as a black-and-white printer does.
class TwoColourPage : public QImage
{
public:
    TwoColourPage()
        : QImage(794, 1123, QImage::Format_RGB32)
    {
        fill(Qt::white);
    }

protected:
    int metric(PaintDeviceMetric metric) const override { return metric == PdmNumColors ? 2 : QImage::metric(metric); }
};

} // namespace

TEST(PrintPage, TwoColourPrinter_PensAndBrushesBecomeTheirGreyValues)
{
    TMyCAD cad;
    cad.SetPrintABorder(false);
    cad.SetPrintBackground(true);
    cad.SetColorOfBackGround(0x00FFFF); // yellow page: (255 + 255 + 0) / 3
    TMyShape* box = cad.ShapeById(AddRect(cad, 100, 100, 200, 100));
    TMyBrush brush = box->Brush();
    brush.color = 0x0000FF; // red fill: 255 / 3
    brush.style = bsSolid;
    box->SetBrush(brush);
    TMyPen pen = box->Pen();
    pen.color = 0xFF0000; // blue outline
    pen.width = 10;
    box->SetPen(pen);

    TwoColourPage page;
    ASSERT_EQ(static_cast<const QPaintDevice&>(page).colorCount(), 2);
    {
        QPainter painter(&page);
        cad.PaintPage(painter, page.size(), 1.0, {}, true);
    }
    EXPECT_EQ(QColor(page.pixel(200, 150)), QColor(85, 85, 85));
    EXPECT_EQ(QColor(page.pixel(101, 150)), QColor(85, 85, 85));
    EXPECT_EQ(QColor(page.pixel(20, 20)), QColor(170, 170, 170));

    // A colour printer and the screen keep the colours.
    QImage colour(794, 1123, QImage::Format_RGB32);
    {
        QPainter painter(&colour);
        cad.PaintPage(painter, colour.size(), 1.0, {}, true);
    }
    EXPECT_EQ(QColor(colour.pixel(200, 150)), QColor(Qt::red));
    EXPECT_EQ(QColor(colour.pixel(101, 150)), QColor(Qt::blue));
}
