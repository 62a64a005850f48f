// The canvas widget and the rulers on the offscreen platform.
#include "tests/canvas/CanvasBuilders.h"
#include "tests/support/AppEnvironment.h"

#include "canvas/widgets/CanvasView.h"
#include "canvas/widgets/TRsRuler.h"
#include "canvas/widgets/TRsRulerCorner.h"

#include <QApplication>
#include <QScrollArea>

#include <gtest/gtest.h>

#include <memory>

namespace {

const bool kRegistered = (::testing::AddGlobalTestEnvironment(new AppEnvironment<QApplication>), true);

} // namespace

TEST(CanvasView, FollowsTheCanvasSizeAndPaintsItsDrawing)
{
    TMyCAD cad;
    QScrollArea area;
    auto* view = new CanvasView(cad);
    area.setWidget(view);
    EXPECT_EQ(view->size(), QSize(794, 1123));
    cad.SetZoom(0.5);
    EXPECT_EQ(view->size(), QSize(397, 561));

    CanvasBuilders::AddLine(cad, 10, 50, 300, 50);
    cad.ClearSelection();
    const QImage picture = view->grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(110, 50)), QColor(Qt::black)); // points are given in screen pixels
    EXPECT_EQ(QColor(picture.pixel(110, 55)), QColor(Qt::white));
}

TEST(CanvasView, ResizeByTheParentChangesThePage)
{
    TMyCAD cad;
    CanvasView view(cad);
    view.show();
    view.resize(378, 378); // 100 mm at 96 pixels per inch
    EXPECT_EQ(cad.PageWidth(), 100);
    EXPECT_EQ(cad.PageStyle(), CustomerPage);
    EXPECT_EQ(cad.Width(), 378);
}

TEST(CanvasView, CursorHintAndDetach)
{
    auto cad = std::make_unique<TMyCAD>();
    {
        CanvasView view(*cad);
        EXPECT_EQ(view.cursor().shape(), Qt::CrossCursor);
        view.SetCursorShape(Qt::SizeFDiagCursor);
        EXPECT_EQ(view.cursor().shape(), Qt::SizeFDiagCursor);
        view.ShowHint("Hair 3");
        EXPECT_EQ(view.toolTip(), QStringLiteral("Hair 3"));
    }
    cad->SetZoom(2.0); // the view is gone; the canvas must not call it
    EXPECT_EQ(cad->Width(), 1587);
}

TEST(Rulers, ScaleUnitsHairLineAndCorner)
{
    TRsRuler ruler;
    EXPECT_EQ(ruler.size(), QSize(200, 33));
    EXPECT_NEAR(ruler.StepPixels() * 2, 7.56, 0.01);
    ruler.SetScale(0);
    ruler.SetScale(-5);
    EXPECT_EQ(ruler.Scale(), 100);
    ruler.SetOffset(10);
    ruler.SetUnits(ruCenti);
    EXPECT_DOUBLE_EQ(ruler.Offset(), 1.0);

    ruler.SetHairLine(true);
    ruler.SetHairLinePos(50);
    ruler.SetHairLinePos(50); // the same place twice leaves the line visible
    const QImage with = ruler.grab().toImage();
    ruler.SetHairLinePos(-1);
    const QImage without = ruler.grab().toImage();
    EXPECT_NE(with.copy(50, 0, 1, 33), without.copy(50, 0, 1, 33));
    EXPECT_EQ(with.copy(100, 0, 1, 33), without.copy(100, 0, 1, 33));

    TRsRulerCorner corner;
    EXPECT_EQ(corner.toolTip(), QStringLiteral("millimeter"));
    corner.SetUnits(ruInch);
    EXPECT_EQ(corner.toolTip(), QStringLiteral("inch"));
}
