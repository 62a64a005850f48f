// Shape drawing checked on small pictures: pen widths, arrows, rule lines, pictures,
// gradients and text alignment.
#include "tests/canvas/CanvasBuilders.h"
#include "tests/canvas/GuiEnvironment.h"

#include "canvas/GradientTemplate.h"
#include "canvas/ImageAdjust.h"
#include "canvas/TMyCAD.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace CanvasBuilders;

namespace {

// A canvas of 200 x 120 pixels at zoom 1.
void Small(TMyCAD& cad)
{
    cad.ClientResized(200, 120);
}

TMyPen PenOf(int width, TColor color = 0)
{
    TMyPen pen;
    pen.width = width;
    pen.color = color;
    return pen;
}

TMyBrush BrushOf(TBrushStyle style, TColor color = 0xFFFFFF)
{
    TMyBrush brush;
    brush.style = style;
    brush.color = color;
    return brush;
}

bool Dark(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 100;
}

int DarkInColumn(const QImage& image, int x, int y0, int y1)
{
    int count = 0;
    for (int y = y0; y <= y1; ++y)
        count += Dark(image, x, y);
    return count;
}

bool InkIn(const QImage& image, QRect area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (Dark(image, x, y))
                return true;
    return false;
}

TMyImage* AddImage(TMyCAD& cad, QRectF box)
{
    auto image = std::make_unique<TMyImage>(&cad);
    image->Nodes() = { TMyPoint { float(box.left()), float(box.top()) },
        TMyPoint { float(box.right()), float(box.top()) }, TMyPoint { float(box.right()), float(box.bottom()) },
        TMyPoint { float(box.left()), float(box.bottom()) } };
    image->ResetCenter();
    return static_cast<TMyImage*>(cad.AppendShape(std::move(image)));
}

} // namespace

TEST(ShapeRendering, LineOfPenWidth5_Is5PixelsWide)
{
    TMyCAD cad;
    Small(cad);
    AddLine(cad, 10, 50, 150, 50);
    cad.ShapeByIndex(0)->SetPen(PenOf(5));
    const QImage picture = cad.RenderControl();
    EXPECT_EQ(DarkInColumn(picture, 80, 30, 70), 5);
    cad.ShapeByIndex(0)->SetPen(PenOf(0)); // width 0: the thinnest line
    EXPECT_EQ(DarkInColumn(cad.RenderControl(), 80, 30, 70), 1);
}

TEST(ShapeRendering, ArrowAtLastNode_FilledTrianglePointingAway)
{
    TMyCAD cad;
    Small(cad);
    cad.SetArrowStyle(ALeft);
    cad.SetArrowLength(30);
    cad.SetArrowAngle(10);
    AddLine(cad, 20, 60, 140, 60);
    const QImage picture = cad.RenderControl();
    // 20 pixels behind the tip the head is about 3.5 pixels wide on either side.
    EXPECT_NEAR(DarkInColumn(picture, 120, 50, 70), 8, 1);
    EXPECT_FALSE(Dark(picture, 120, 54));
    EXPECT_NEAR(DarkInColumn(picture, 135, 50, 70), 3, 1);
    EXPECT_TRUE(Dark(picture, 139, 60));
    EXPECT_EQ(DarkInColumn(picture, 40, 50, 70), 1); // no head at the first node
}

TEST(ShapeRendering, RightArrowOfAThreeNodeLine_AtTheFirstNode_OfARuleLine_AtTheSecondToLast)
{
    // Both put the right-hand head at the first node of a two-node line; with more
    // nodes (only files make them) a rule line keeps its own mapping: the head sits on
    // the second-to-last node, pointing away from the last.
    const auto draw = [](bool ruleLine) {
        TMyCAD cad;
        Small(cad);
        std::unique_ptr<TMyLine> line = ruleLine ? std::unique_ptr<TMyLine>(std::make_unique<TMyRuleLine>(&cad))
                                                 : std::make_unique<TMyPolyLine>(&cad);
        line->Nodes() = { TMyPoint { 20, 60 }, TMyPoint { 100, 60 }, TMyPoint { 180, 60 } };
        line->SetArrowStyle(ARight);
        line->SetArrowLength(30);
        line->SetArrowAngle(10);
        if (auto* rule = dynamic_cast<TMyRuleLine*>(line.get())) {
            rule->SetTickStyle(tsNone);
            rule->SetShowUserInfo(true);
        }
        cad.AppendShape(std::move(line));
        return cad.RenderControl();
    };
    const QImage plain = draw(false);
    EXPECT_NEAR(DarkInColumn(plain, 40, 50, 70), 8, 1);
    EXPECT_EQ(DarkInColumn(plain, 120, 50, 70), 1);
    const QImage rule = draw(true);
    EXPECT_EQ(DarkInColumn(rule, 40, 50, 70), 1);
    EXPECT_NEAR(DarkInColumn(rule, 120, 50, 70), 8, 1);
    EXPECT_TRUE(Dark(rule, 101, 60));
    EXPECT_EQ(DarkInColumn(rule, 80, 50, 70), 1); // no head on the near side of the node
}

TEST(ShapeRendering, RuleLine_StoresAngleAndKeepsTextUprightAboveTheLine)
{
    TMyCAD leftToRight;
    Small(leftToRight);
    AddLine(leftToRight, 50, 80, 150, 80, SpRuleLine);
    const QImage forward = leftToRight.RenderControl();
    EXPECT_FLOAT_EQ(leftToRight.ShapeByIndex(0)->Angle(), 0.0f);
    EXPECT_EQ(leftToRight.ShapeByIndex(0)->Info(), QStringLiteral("    26.46 mm"));
    EXPECT_TRUE(InkIn(forward, QRect(70, 55, 60, 20)));
    EXPECT_FALSE(InkIn(forward, QRect(70, 83, 60, 30)));

    TMyCAD rightToLeft;
    Small(rightToLeft);
    AddLine(rightToLeft, 150, 80, 50, 80, SpRuleLine);
    const QImage backward = rightToLeft.RenderControl();
    EXPECT_NEAR(rightToLeft.ShapeByIndex(0)->Angle(), M_PI, 1e-6);
    // The label is the same picture in both directions: upright, above the line.
    EXPECT_EQ(forward.copy(60, 50, 80, 28), backward.copy(60, 50, 80, 28));
}

TEST(ShapeRendering, RuleLine_UserInfoShownAndInfoKept)
{
    TMyCAD cad;
    Small(cad);
    AddLine(cad, 50, 80, 150, 80, SpRuleLine);
    auto* rule = static_cast<TMyRuleLine*>(cad.ShapeByIndex(0));
    rule->SetInfo("kept");
    rule->SetShowUserInfo(true);
    rule->SetUserInfo(QString());
    const QImage empty = cad.RenderControl();
    EXPECT_EQ(rule->Info(), QStringLiteral("kept"));
    EXPECT_FALSE(InkIn(empty, QRect(60, 50, 80, 25)));
    rule->SetUserInfo("W");
    EXPECT_TRUE(InkIn(cad.RenderControl(), QRect(60, 50, 80, 25)));
}

TEST(ShapeRendering, RuleLine_TicksOnlyWithTickStyleLine)
{
    TMyCAD cad;
    Small(cad);
    AddLine(cad, 50, 80, 150, 80, SpRuleLine);
    auto* rule = static_cast<TMyRuleLine*>(cad.ShapeByIndex(0));
    rule->SetArrowStyle(ANone);
    EXPECT_EQ(DarkInColumn(cad.RenderControl(), 50, 60, 100), 21); // 10 on either side
    rule->SetTickStyle(tsNone);
    EXPECT_EQ(DarkInColumn(cad.RenderControl(), 50, 60, 100), 1);
}

TEST(ShapeRendering, ImageWithoutPicture_GreyCrossedBox)
{
    TMyCAD cad;
    Small(cad);
    AddImage(cad, QRectF(20, 20, 80, 80));
    const QImage picture = cad.RenderControl();
    const QColor grey(0x80, 0x80, 0x80);
    EXPECT_EQ(QColor(picture.pixel(20, 50)), grey);
    EXPECT_EQ(QColor(picture.pixel(60, 20)), grey);
    EXPECT_EQ(QColor(picture.pixel(60, 60)), grey); // both diagonals cross at the centre
    EXPECT_EQ(QColor(picture.pixel(40, 40)), grey);
    EXPECT_EQ(QColor(picture.pixel(80, 40)), grey);
    EXPECT_EQ(QColor(picture.pixel(50, 40)), QColor(Qt::white));
}

TEST(ShapeRendering, ImageAdjustments_OrderAndLimits)
{
    TMyCAD cad;
    Small(cad);
    TMyImage* image = AddImage(cad, QRectF(0, 0, 2, 1));
    QImage source(2, 1, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(100, 200, 250));
    source.setPixel(1, 0, qRgb(10, 20, 60));
    image->SetBitmap(source);
    image->SetBrightness(300);
    EXPECT_EQ(image->Brightness(), 0);
    image->SetBrightness(50);
    EXPECT_EQ(image->AdjustedBitmap().pixel(0, 0), qRgb(150, 250, 255));
    image->SetBrightness(0);
    image->SetGrayScale(true);
    EXPECT_EQ(image->AdjustedBitmap().pixel(1, 0), qRgb(30, 30, 30));
    image->SetGrayScale(false);
    image->SetContrast(255);
    EXPECT_EQ(image->AdjustedBitmap().pixel(0, 0), qRgb(73, 255, 255));
    image->SetContrast(0);
    image->SetIsFlipHorz(true);
    EXPECT_EQ(image->AdjustedBitmap().pixel(0, 0), qRgb(10, 20, 60));
    // Setting the picture sized the box to it; drawn mirrored over the box.
    EXPECT_FLOAT_EQ(image->Right(), 2.0f);
    EXPECT_FLOAT_EQ(image->Bottom(), 1.0f);
    const QImage picture = cad.RenderControl();
    EXPECT_EQ(picture.pixel(0, 0), qRgb(10, 20, 60));
    EXPECT_EQ(picture.pixel(1, 0), qRgb(100, 200, 250));
    EXPECT_EQ(picture.pixel(0, 1), qRgb(255, 255, 255));
}

TEST(ImageAdjust, SettingsOutOfRangeFromDamagedFiles_AreIgnored)
{
    QImage picture(1, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(100, 150, 200));
    const ImageAdjust::Settings damaged { false, std::numeric_limits<int>::min(), std::numeric_limits<int>::max() };
    EXPECT_EQ(ImageAdjust::Adjust(picture, damaged).pixel(0, 0), qRgb(100, 150, 200));
}

TEST(ShapeRendering, ImageBorder_FramesThePictureWithoutHidingIt)
{
    TMyCAD cad;
    Small(cad);
    TMyImage* image = AddImage(cad, QRectF(20, 20, 40, 30));
    QImage green(40, 30, QImage::Format_RGB32);
    green.fill(Qt::green);
    image->SetBitmap(green);
    image->SetBorder(true); // the shape's brush is the canvas's solid white
    const QImage picture = cad.RenderControl();
    EXPECT_EQ(QColor(picture.pixel(40, 35)), QColor(Qt::green));
    EXPECT_EQ(QColor(picture.pixel(20, 35)), QColor(Qt::black));
    EXPECT_EQ(QColor(picture.pixel(40, 20)), QColor(Qt::black));
}

TEST(ShapeRendering, GradientUnderClearBrush_SolidBrushCoversIt)
{
    TMyCAD cad;
    Small(cad);
    AddRect(cad, 10, 10, 180, 100);
    TMyShape* rect = cad.ShapeByIndex(0);
    rect->SetColorBegin(0x000000);
    rect->SetColorEnd(0xFFFFFF);
    rect->SetGradientStyle(gsLinearV);
    rect->SetBrush(BrushOf(bsSolid, 0x0000FF));
    QImage picture = cad.RenderControl();
    EXPECT_EQ(QColor(picture.pixel(20, 60)), QColor(Qt::red));
    EXPECT_EQ(QColor(picture.pixel(180, 60)), QColor(Qt::red));

    rect->SetBrush(BrushOf(bsClear));
    picture = cad.RenderControl();
    EXPECT_LT(qGray(picture.pixel(20, 60)), 40);
    EXPECT_GT(qGray(picture.pixel(180, 60)), 215);
    EXPECT_FALSE(rect->GradientBitmap().isNull()); // kept for the next paint
    const qint64 kept = rect->GradientBitmap().cacheKey();
    cad.RenderControl();
    EXPECT_EQ(rect->GradientBitmap().cacheKey(), kept);
    rect->SetIsFlipHorz(true); // the template is mirrored with the shape
    picture = cad.RenderControl();
    EXPECT_GT(qGray(picture.pixel(20, 60)), 215);
}

TEST(GradientTemplate, RampAndTemplateSizes)
{
    EXPECT_EQ(GradientTemplate::RampColor(0x000000, 0xFFFFFF, 255), 0xFFFFFF);
    EXPECT_EQ(GradientTemplate::RampColor(0x0000FF, 0x000000, 128), 0x00007F); // 255 - 255 * 128 / 255
    EXPECT_EQ(GradientTemplate::Render(gsRadialC, 0, 0xFFFFFF).size(), QSize(362, 362));
    EXPECT_EQ(GradientTemplate::Render(gsRadialT, 0, 0xFFFFFF).size(), QSize(362, 181));
    EXPECT_EQ(GradientTemplate::Render(gsLinearH, 0, 0xFFFFFF).size(), QSize(1, 256));
    EXPECT_EQ(GradientTemplate::Render(gsReflectedV, 0, 0xFFFFFF).size(), QSize(512, 1));
    EXPECT_TRUE(GradientTemplate::Render(gsNone, 0, 0xFFFFFF).isNull());
    for (int style = gsRadialC; style < gsNone; ++style)
        EXPECT_FALSE(GradientTemplate::Render(TGradientStyle(style), 0, 0xFFFFFF).isNull()) << style;
    const QImage radial = GradientTemplate::Render(gsRadialC, 0x000000, 0xFFFFFF);
    EXPECT_EQ(radial.pixel(181, 181), qRgb(0, 0, 0));
    EXPECT_EQ(radial.pixel(181 + 100, 181), qRgb(100, 100, 100));
    const QImage reflected = GradientTemplate::Render(gsReflectedH, 0x000000, 0xFFFFFF);
    EXPECT_EQ(reflected.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(reflected.pixel(0, 255), qRgb(0, 0, 0));
    EXPECT_EQ(reflected.pixel(0, 511), qRgb(255, 255, 255));
}

TEST(ShapeRendering, TextBoxVerticalAlignment_BottomAndTop)
{
    TMyCAD cad;
    Small(cad);
    cad.AddShape(SpText, QString(), 0, { QPointF(10, 10), QPointF(190, 10), QPointF(190, 110), QPointF(10, 110) }, "T");
    auto* text = static_cast<TMyText*>(cad.ShapeByIndex(0));
    text->SetLines({ "Hg", "Hg", "Hg" });
    TMyFont font = text->Font();
    font.SetSize(12);
    text->SetFont(font);
    text->SetVAlignment(vaBottom);
    QImage picture = cad.RenderControl();
    EXPECT_TRUE(InkIn(picture, QRect(10, 95, 180, 15)));
    EXPECT_FALSE(InkIn(picture, QRect(0, 111, 200, 9)));
    EXPECT_FALSE(InkIn(picture, QRect(10, 10, 180, 40))); // three 12-point lines fill about 55 pixels

    text->SetVAlignment(vaTop);
    text->SetHAlignment(taLeftJustify);
    picture = cad.RenderControl();
    EXPECT_TRUE(InkIn(picture, QRect(10, 10, 30, 15)));
    EXPECT_FALSE(InkIn(picture, QRect(10, 80, 180, 40)));
    EXPECT_FALSE(InkIn(picture, QRect(0, 0, 200, 10)));
}

TEST(ShapeRendering, LogUse_CellSizeFromLogHeightTimesZoom)
{
    TMyCAD cad;
    Small(cad);
    cad.AddShape(SpText, QString(), 0, { QPointF(10, 10), QPointF(190, 10), QPointF(190, 110), QPointF(10, 110) }, "T");
    auto* text = static_cast<TMyText*>(cad.ShapeByIndex(0));
    text->SetLines({ "H" });
    text->SetVAlignment(vaTop);
    text->SetHAlignment(taLeftJustify);
    auto inkRows = [&] {
        const QImage picture = cad.RenderControl();
        int rows = 0;
        for (int y = 0; y < picture.height(); ++y)
            rows += InkIn(picture, QRect(10, y, 100, 1));
        return rows;
    };
    const int plain = inkRows(); // 8 points: a capital about 8 pixels high
    text->SetLogUse(true);
    text->SetLogHeight(60);
    text->SetLogWidth(30);
    cad.Refresh();
    const int tall = inkRows();
    EXPECT_LT(plain, 12);
    EXPECT_GT(tall, 35);
}

TEST(ShapeRendering, DamagedCoordinates_DrawNothingAndDoNotHang)
{
    TMyCAD cad;
    Small(cad);
    AddLine(cad, 10, 10, 50, 50);
    cad.ShapeByIndex(0)->Nodes()[1] = TMyPoint { 3e38f, std::numeric_limits<float>::quiet_NaN() };
    TMyPen dotted = cad.ShapeByIndex(0)->Pen();
    dotted.style = psDot;
    cad.ShapeByIndex(0)->SetPen(dotted);
    AddRect(cad, 1e30, -1e30, 1e35, 1e35, SpEllipse);
    const QImage picture = cad.RenderControl();
    EXPECT_EQ(picture.size(), QSize(200, 120));
}

TEST(ShapeRendering, TextBoxWordWrap_BreaksLongLines)
{
    TMyCAD cad;
    Small(cad);
    cad.AddShape(SpText, QString(), 0, { QPointF(10, 10), QPointF(60, 10), QPointF(60, 110), QPointF(10, 110) }, "T");
    auto* text = static_cast<TMyText*>(cad.ShapeByIndex(0));
    text->SetLines({ "MMMMMMMMMMMM" });
    text->SetHAlignment(taLeftJustify);
    text->SetVAlignment(vaTop);
    EXPECT_TRUE(InkIn(cad.RenderControl(), QRect(61, 10, 100, 20))); // runs out of the box
    text->SetWordWrap(true);
    const QImage wrapped = cad.RenderControl();
    EXPECT_FALSE(InkIn(wrapped, QRect(61, 10, 100, 100)));
    EXPECT_TRUE(InkIn(wrapped, QRect(10, 30, 50, 20))); // the rest went to the next lines
}

TEST(ShapeRendering, EllipseAndInvisibleGroup)
{
    TMyCAD cad;
    Small(cad);
    AddRect(cad, 20, 20, 100, 60, SpEllipse);
    cad.ShapeByIndex(0)->SetBrush(BrushOf(bsSolid, 0x0000FF));
    QImage picture = cad.RenderControl();
    EXPECT_EQ(QColor(picture.pixel(70, 50)), QColor(Qt::red));
    EXPECT_EQ(QColor(picture.pixel(22, 22)), QColor(Qt::white)); // outside the ellipse, inside its box
    EXPECT_TRUE(Dark(picture, 20, 50));
    EXPECT_TRUE(Dark(picture, 70, 79));

    TMyShape* group = Group(cad, { 0 });
    group->SetVisible(false);
    picture = cad.RenderControl();
    EXPECT_EQ(QColor(picture.pixel(70, 50)), QColor(Qt::white));
}

TEST(ShapeRendering, InfoTextAndMultiInfo_CentredOnCaptionPosition)
{
    TMyCAD cad;
    Small(cad);
    AddRect(cad, 20, 20, 60, 40);
    TMyShape* rect = cad.ShapeByIndex(0);
    rect->SetBrush(BrushOf(bsClear));
    rect->SetCaptionPos(TMyPoint { 150, 60 });
    rect->SetInfo("III");
    QImage picture = cad.RenderControl();
    EXPECT_TRUE(InkIn(picture, QRect(140, 55, 20, 10)));
    rect->SetCaptionShow(false);
    EXPECT_FALSE(InkIn(cad.RenderControl(), QRect(120, 40, 80, 40)));
    rect->SetCaptionShow(true);
    rect->SetInfo(QString());
    rect->SetMultiInfo({ "I", "I", "I" });
    picture = cad.RenderControl();
    EXPECT_TRUE(InkIn(picture, QRect(145, 40, 10, 8)));
    EXPECT_TRUE(InkIn(picture, QRect(145, 72, 10, 8)));
}
