// The control's paint: damaged areas, the shape layer cache following every kind of
// change, background picture modes, grid, handles and traces.
#include "tests/canvas/CanvasBuilders.h"
#include "tests/canvas/GuiEnvironment.h"

#include "canvas/TMyCAD.h"
#include "canvas/TMyLine.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace CanvasBuilders;

namespace {

class RecordingHost : public TMyCADHost
{
public:
    void RequestRepaint() override { ++repaints; }
    void RequestRepaintArea(const QRect& area) override { areas.push_back(area); }
    int repaints = 0;
    std::vector<QRect> areas;
};

// A 300 x 200 canvas without grid.
void Prepare(TMyCAD& cad)
{
    cad.ClientResized(300, 200);
    TGridObject grid;
    grid.GridShow = false;
    cad.SetGridOperation(grid);
}

QImage PaintAll(TMyCAD& cad, QRect area = QRect())
{
    if (area.isNull())
        area = QRect(0, 0, cad.Width(), cad.Height());
    QImage image(cad.Width(), cad.Height(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    cad.Paint(painter, area);
    return image;
}

QColor At(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

TMyPen Pen(TColor color, int width = 1)
{
    TMyPen pen;
    pen.color = color;
    pen.width = width;
    return pen;
}

} // namespace

TEST(CanvasPaint, DamagedArea_SameAsThatPartOfAFullPaint)
{
    TMyCAD cad;
    Prepare(cad);
    cad.AddShape(
        SpPolyBezier, QString(), 0, { QPointF(10, 10), QPointF(100, 190), QPointF(200, 10), QPointF(290, 190) }, "C");
    AddLine(cad, 0, 100, 300, 100, SpRuleLine);
    cad.ClearSelection();
    const QImage full = PaintAll(cad);
    const QRect part(70, 40, 123, 77);
    const QImage damaged = PaintAll(cad, part);
    EXPECT_EQ(damaged.copy(part), full.copy(part));
    EXPECT_EQ(At(damaged, 0, 0), QColor(Qt::magenta)); // nothing outside the damaged area
}

TEST(CanvasPaint, LayerCache_FollowsMovesStyleLayersAndDeletion)
{
    TMyCAD cad;
    Prepare(cad);
    const int id = AddLine(cad, 20, 50, 120, 50);
    cad.ClearSelection();
    EXPECT_EQ(At(PaintAll(cad), 70, 50), QColor(Qt::black));

    cad.MoveShapeBy(cad.ShapeById(id), 0, 30);
    QImage image = PaintAll(cad);
    EXPECT_EQ(At(image, 70, 50), QColor(Qt::white));
    EXPECT_EQ(At(image, 70, 80), QColor(Qt::black));

    cad.ShapeById(id)->SetPen(Pen(0x0000FF));
    cad.Refresh();
    EXPECT_EQ(At(PaintAll(cad), 70, 80), QColor(Qt::red));

    cad.HideLayer(cad.ShapeById(id)->LayerId());
    EXPECT_EQ(At(PaintAll(cad), 70, 80), QColor(Qt::white));
    cad.ShowLayer(cad.ShapeById(id)->LayerId());
    EXPECT_EQ(At(PaintAll(cad), 70, 80), QColor(Qt::red));

    cad.SetZoom(2.0);
    cad.ClientResized(300, 200);
    image = PaintAll(cad);
    EXPECT_EQ(At(image, 140, 160), QColor(Qt::red));
    EXPECT_EQ(At(image, 70, 80), QColor(Qt::white));

    cad.DeleteShapeById(id, false);
    EXPECT_EQ(At(PaintAll(cad), 140, 160), QColor(Qt::white));
}

TEST(CanvasPaint, LayerCache_ChangeOfOneShapeRedrawsOnlyNearbyTiles)
{
    TMyCAD cad;
    cad.ClientResized(2000, 1000);
    for (int i = 0; i < 40; ++i)
        AddLine(cad, 10 + i * 48, 10, 10 + i * 48, 990);
    cad.ClearSelection();
    QImage image(cad.Width(), cad.Height(), QImage::Format_RGB32);
    QPainter painter(&image);
    cad.Paint(painter, image.rect());
    cad.MoveShapeBy(cad.ShapeByIndex(0), 5, 0);
    cad.Paint(painter, image.rect());
    painter.end();
    EXPECT_EQ(At(image, 10, 510), QColor(Qt::white));
    EXPECT_EQ(At(image, 15, 510), QColor(Qt::black));
    EXPECT_EQ(At(image, 10 + 39 * 48, 510), QColor(Qt::black));
}

TEST(CanvasPaint, TextChangeWithoutGeometry_IsRepainted)
{
    TMyCAD cad;
    Prepare(cad);
    const int id = AddRect(cad, 10, 10, 50, 50);
    cad.ClearSelection();
    TMyShape* rect = cad.ShapeById(id);
    rect->SetCaptionPos(TMyPoint { 150, 100 });
    const QImage before = PaintAll(cad);
    rect->SetInfo("MMM");
    cad.Refresh();
    const QImage after = PaintAll(cad);
    EXPECT_NE(before.copy(130, 90, 40, 20), after.copy(130, 90, 40, 20));
}

TEST(CanvasPaint, BackgroundPictureModes)
{
    TMyCAD cad;
    Prepare(cad);
    QImage picture(100, 50, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    cad.SetBkBitmap(picture);

    cad.SetBkBitmapMode(LeftTop);
    QImage image = PaintAll(cad);
    EXPECT_EQ(At(image, 0, 0), QColor(Qt::red));
    EXPECT_EQ(At(image, 99, 49), QColor(Qt::blue));
    EXPECT_EQ(At(image, 100, 50), QColor(Qt::white));

    cad.SetBkBitmapMode(Center);
    image = PaintAll(cad);
    EXPECT_EQ(At(image, 100, 75), QColor(Qt::red));
    EXPECT_EQ(At(image, 99, 75), QColor(Qt::white));

    cad.SetBkBitmapMode(Stretch);
    image = PaintAll(cad);
    EXPECT_EQ(At(image, 2, 3), QColor(Qt::red)); // one picture pixel covers 3 x 4 control pixels
    EXPECT_EQ(At(image, 299, 199), QColor(Qt::blue));
    EXPECT_EQ(PaintAll(cad, QRect(150, 100, 20, 20)).copy(150, 100, 20, 20), image.copy(150, 100, 20, 20));

    cad.SetBkBitmapMode(Tiled);
    image = PaintAll(cad);
    EXPECT_EQ(At(image, 200, 100), QColor(Qt::red));
    EXPECT_EQ(At(image, 201, 100), QColor(Qt::blue));
}

TEST(CanvasPaint, Grid_LinesAndPixelsAtTheSpacing)
{
    TMyCAD cad;
    cad.ClientResized(100, 100);
    TGridObject grid;
    grid.GridColor = 0x0000FF;
    cad.SetGridOperation(grid);
    QImage image = PaintAll(cad);
    EXPECT_EQ(At(image, 40, 13), QColor(Qt::red));
    EXPECT_EQ(At(image, 13, 60), QColor(Qt::red));
    EXPECT_EQ(At(image, 41, 13), QColor(Qt::white));

    grid.GridType = gPixel;
    cad.SetGridOperation(grid);
    image = PaintAll(cad);
    EXPECT_EQ(At(image, 41, 61), QColor(Qt::red));
    EXPECT_EQ(At(image, 39, 59), QColor(Qt::red));
    EXPECT_EQ(At(image, 40, 13), QColor(Qt::white));

    grid.GridShow = false;
    cad.SetGridOperation(grid);
    EXPECT_EQ(At(PaintAll(cad), 40, 40), QColor(Qt::white));
}

TEST(CanvasPaint, Handles_HotColourGreyWhenLockedNoneWhenHidden)
{
    TMyCAD cad;
    Prepare(cad);
    const int id = AddLine(cad, 50, 50, 150, 50); // AddShape selects the new shape
    QImage image = PaintAll(cad);
    EXPECT_EQ(At(image, 47, 47), QColor(Qt::green)); // a square of half side 4 round each node
    EXPECT_EQ(At(image, 46, 46), QColor(Qt::black));
    EXPECT_EQ(At(image, 45, 45), QColor(Qt::white));
    EXPECT_EQ(At(image, 152, 52), QColor(Qt::green));

    cad.ShapeById(id)->SetLocked(true);
    EXPECT_EQ(At(PaintAll(cad), 47, 47), QColor(0x80, 0x80, 0x80));

    cad.SetColorOfHot(0x0000FF);
    cad.ShapeById(id)->SetLocked(false);
    EXPECT_EQ(At(PaintAll(cad), 47, 47), QColor(Qt::red));
    cad.SetColorOfHot(0x00FF00);

    cad.SetHotShow(false);
    EXPECT_EQ(At(PaintAll(cad), 47, 47), QColor(Qt::white));
}

TEST(CanvasPaint, TraceOverlay_DrawnOnTopAndAreasRepainted)
{
    RecordingHost host;
    TMyCAD cad(&host);
    Prepare(cad);
    cad.SetTraceOverlay({ QPolygonF({ QPointF(10, 100), QPointF(200, 100) }) }, QRectF(50, 20, 100, 40));
    ASSERT_EQ(host.areas.size(), 1u);
    EXPECT_TRUE(host.areas[0].contains(QRect(10, 20, 190, 80)));
    const QImage image = PaintAll(cad);
    int dark = 0;
    for (int x = 10; x <= 200; ++x)
        dark += qGray(image.pixel(x, 100)) < 100;
    EXPECT_GT(dark, 60); // dotted: about every other pixel
    EXPECT_LT(dark, 140);
    int band = 0;
    for (int y = 20; y <= 60; ++y)
        band += At(image, 50, y) != QColor(Qt::white);
    EXPECT_GT(band, 10); // the band's left edge, dotted
    EXPECT_EQ(At(image, 100, 40), QColor(Qt::white));

    cad.ClearTraceOverlay();
    EXPECT_EQ(host.areas.size(), 2u);
    EXPECT_EQ(At(PaintAll(cad), 100, 100), QColor(Qt::white));
}

TEST(CanvasPaint, HoverHighlight_OnlyWhenAskedFor_GoneOnLeavingAndWhenSelected)
{
    RecordingHost host;
    TMyCAD cad(&host);
    Prepare(cad);
    const int line = AddLine(cad, 40, 100, 240, 100);
    cad.ClearSelection();
    // A dark contour a few pixels above the 1-pixel line.
    const auto highlighted = [&] {
        const QImage image = PaintAll(cad);
        for (int y = 92; y <= 98; ++y)
            if (qGray(image.pixel(140, y)) < 160)
                return true;
        return false;
    };
    cad.MouseMove(Qt::NoModifier, 140, 100);
    EXPECT_FALSE(highlighted()); // a canvas highlights nothing unless asked

    cad.SetHighlightHover(true);
    cad.MouseMove(Qt::NoModifier, 300, 10);
    host.areas.clear();
    cad.MouseMove(Qt::NoModifier, 140, 100);
    EXPECT_EQ(cad.HoverShapeId(), line);
    ASSERT_FALSE(host.areas.empty());
    EXPECT_TRUE(host.areas.back().contains(QRect(36, 95, 208, 10)));
    EXPECT_TRUE(highlighted());
    cad.MouseMove(Qt::NoModifier, 140, 180);
    EXPECT_FALSE(highlighted());

    // A selected shape shows its handles instead; a removed one nothing.
    cad.MouseMove(Qt::NoModifier, 140, 100);
    cad.SelectShapeById(line, true);
    EXPECT_FALSE(highlighted());
    cad.ClearSelection();
    EXPECT_TRUE(highlighted());
    cad.ClearShapes();
    EXPECT_FALSE(highlighted());
}

TEST(CanvasPaint, SelectionPicture_BoxOfTheSelectionPlusTwo)
{
    TMyCAD cad;
    Prepare(cad);
    EXPECT_TRUE(cad.SelectionPicture().isNull());
    AddRect(cad, 20, 30, 40, 10);
    const QImage picture = cad.SelectionPicture();
    EXPECT_EQ(picture.size(), QSize(45, 15));
    EXPECT_EQ(At(picture, 2, 2), QColor(Qt::black));
    EXPECT_EQ(At(picture, 0, 0), QColor(Qt::white));
}

TEST(CanvasPaint, OnPaintFiresAfterEveryPaint)
{
    TMyCAD cad;
    Prepare(cad);
    int fired = 0;
    cad.OnPaint = [&] { ++fired; };
    PaintAll(cad);
    PaintAll(cad, QRect(5, 5, 10, 10));
    EXPECT_EQ(fired, 2);
}
