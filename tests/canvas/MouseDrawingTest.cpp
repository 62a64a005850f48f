// Drawing shapes with the mouse: every tool's clicks, completion, Shift, snapping,
// the trace while drawing, the label outputs and the text editor.
#include "canvas/TMyCAD.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyPolyBezier.h"
#include "canvas/TMyRectangle.h"
#include "tests/canvas/CanvasBuilders.h"
#include "tests/canvas/MouseDriver.h"

#include <gtest/gtest.h>

namespace {

TMyPoint P(float x, float y)
{
    return TMyPoint { x, y };
}

// A canvas with grid snapping off, so that the clicked points stay exact.
struct Canvas
{
    Canvas() { cad.SetSnap(false); }
    TMyCAD cad;
    MouseDriver mouse { cad };
};

class ScriptedHost : public TMyCADHost
{
public:
    bool EditStringList(QStringList& lines) override
    {
        ++edits;
        lines = answer;
        return confirm;
    }
    void SetCursorShape(Qt::CursorShape shape) override { cursors.push_back(shape); }
    void ShowHint(const QString& text) override { hints.push_back(text); }
    void ConfineCursor(const QRect& area) override { confined = area; }
    void ReleaseCursor() override { confined = QRect(); }

    QStringList answer;
    bool confirm = true;
    int edits = 0;
    std::vector<Qt::CursorShape> cursors;
    QStringList hints;
    QRect confined;
};

} // namespace

TEST(MouseDrawing, RuleLine_TwoClicksWithShift_EndsHorizontalAndReturnsToSelecting)
{
    Canvas c;
    int added = 0, toSelecting = 0;
    c.cad.OnShapeAdded = [&](TMyShape*& shape, int count) {
        ++added;
        EXPECT_EQ(count, 1);
        EXPECT_EQ(shape->Name(), "Shape0");
    };
    c.cad.OnActionToolToSelecting = [&] { ++toSelecting; };
    c.cad.SetShapeTool(SpRuleLine);
    EXPECT_EQ(c.cad.ActionState(), TActionState::Drawing);
    c.mouse.Click(50, 50);
    EXPECT_EQ(c.cad.ShapeCount(), 0);
    ASSERT_NE(c.cad.ShapeInProgress(), nullptr);
    c.mouse.Move(130, 71, Qt::ShiftModifier);
    ASSERT_EQ(c.cad.TraceOutlines().size(), 1u);
    EXPECT_EQ(c.cad.TraceOutlines()[0].back(), QPointF(130, 50));
    c.mouse.Click(150, 70, Qt::ShiftModifier);

    ASSERT_EQ(c.cad.ShapeCount(), 1);
    const TMyShape* rule = c.cad.ShapeByIndex(0);
    EXPECT_STREQ(rule->ClassName(), "TMyRuleLine");
    EXPECT_EQ(rule->Nodes(), (std::vector<TMyPoint> { P(50, 50), P(150, 50) }));
    EXPECT_EQ(added, 1);
    EXPECT_EQ(toSelecting, 1);
    EXPECT_EQ(c.cad.ShapeTool(), SpSelecting);
    EXPECT_EQ(c.cad.ActionState(), TActionState::Selecting);
    EXPECT_EQ(c.cad.SelectedShape(), rule);
    EXPECT_TRUE(c.cad.TraceOutlines().empty());
    ASSERT_EQ(c.cad.UndoList().Entries().size(), 1u);
    EXPECT_EQ(c.cad.UndoList().Entries()[0].action, "ACT_ADD");
    EXPECT_TRUE(c.cad.Modified());
}

TEST(MouseDrawing, ShiftWhenMovedFurtherInY_EndsVertical)
{
    Canvas c;
    c.cad.SetShapeTool(SpLine);
    c.mouse.Click(50, 50);
    c.mouse.Click(70, 150, Qt::ShiftModifier);
    EXPECT_EQ(c.cad.ShapeByIndex(0)->Nodes()[1], P(50, 150));
}

TEST(MouseDrawing, PolyLine_SingleClicksAddNodes_DoubleClickCompletesWithThreeNodes)
{
    Canvas c;
    c.cad.SetShapeTool(SpPolyLine);
    c.mouse.Click(10, 10);
    c.mouse.Click(110, 30);
    EXPECT_EQ(c.cad.ShapeCount(), 0);
    EXPECT_EQ(c.cad.ShapeInProgress()->Nodes().size(), 2u);
    c.mouse.DoubleClick(150, 90);
    ASSERT_EQ(c.cad.ShapeCount(), 1);
    EXPECT_STREQ(c.cad.ShapeByIndex(0)->ClassName(), "TMyPolyLine");
    EXPECT_EQ(c.cad.ShapeByIndex(0)->Nodes(), (std::vector<TMyPoint> { P(10, 10), P(110, 30), P(150, 90) }));
}

TEST(MouseDrawing, PolyBezier_FourClicksTakeMidpoint_DoubleClickEndsOnTheLastClick)
{
    Canvas c;
    c.cad.SetShapeTool(SpPolyBezier);
    c.mouse.Click(10, 10); // A
    c.mouse.Click(30, 70); // B
    c.mouse.Click(90, 70); // C
    c.mouse.Click(130, 10); // D
    EXPECT_EQ(c.cad.ShapeInProgress()->Nodes(),
        (std::vector<TMyPoint> { P(10, 10), P(30, 70), P(90, 70), P(110, 40), P(130, 10) }));
    EXPECT_EQ(c.cad.ShapeCount(), 0);
    c.mouse.DoubleClick(130, 10);
    ASSERT_EQ(c.cad.ShapeCount(), 1);
    // The curve ends on D, not at the midpoint of C and D.
    EXPECT_EQ(c.cad.ShapeByIndex(0)->Nodes(), (std::vector<TMyPoint> { P(10, 10), P(30, 70), P(90, 70), P(130, 10) }));
}

TEST(MouseDrawing, PolyBezier_SixClicks_EndsOnTheSixthAndKeepsTheSmoothJoin)
{
    Canvas c;
    c.cad.SetShapeTool(SpPolyBezier);
    for (QPoint p :
        { QPoint(10, 10), QPoint(30, 70), QPoint(90, 70), QPoint(130, 10), QPoint(170, 0), QPoint(210, 40) })
        c.mouse.Click(p.x(), p.y());
    c.mouse.DoubleClick(210, 40);
    ASSERT_EQ(c.cad.ShapeCount(), 1);
    EXPECT_EQ(c.cad.ShapeByIndex(0)->Nodes(),
        (std::vector<TMyPoint> { P(10, 10), P(30, 70), P(90, 70), P(110, 40), P(130, 10), P(170, 0), P(210, 40) }));
}

TEST(MouseDrawing, PolyBezier_DoubleClickAfterAControlPoint_EndsOnTheMousePoint)
{
    Canvas c;
    c.cad.SetShapeTool(SpPolyBezier);
    for (QPoint p : { QPoint(10, 10), QPoint(30, 70), QPoint(90, 70), QPoint(130, 10) })
        c.mouse.Click(p.x(), p.y());
    c.mouse.DoubleClick(210, 90);
    ASSERT_EQ(c.cad.ShapeCount(), 1);
    const auto& nodes = c.cad.ShapeByIndex(0)->Nodes();
    ASSERT_EQ(nodes.size(), 7u);
    EXPECT_EQ(nodes[3], P(110, 40));
    EXPECT_EQ(nodes[4], P(130, 10));
    EXPECT_EQ(nodes[5], P(210, 90));
    EXPECT_EQ(nodes[6], P(210, 90));
}

TEST(MouseDrawing, Polygon_ClickNearFirstNodeCloses)
{
    Canvas c;
    c.cad.SetShapeTool(SpPolygon);
    c.mouse.Click(50, 50);
    c.mouse.Click(150, 50);
    c.mouse.Click(100, 130);
    EXPECT_EQ(c.cad.ShapeCount(), 0);
    c.mouse.Click(53, 47); // within HotSize (4) of the first node
    ASSERT_EQ(c.cad.ShapeCount(), 1);
    const auto& nodes = c.cad.ShapeByIndex(0)->Nodes();
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_EQ(nodes.back(), nodes.front());
}

TEST(MouseDrawing, Polygon_DoubleClickOnLastPointCloses)
{
    Canvas c;
    c.cad.SetShapeTool(SpPolygon);
    c.mouse.Click(50, 50);
    c.mouse.Click(150, 50);
    c.mouse.DoubleClick(100, 130);
    ASSERT_EQ(c.cad.ShapeCount(), 1);
    EXPECT_EQ(
        c.cad.ShapeByIndex(0)->Nodes(), (std::vector<TMyPoint> { P(50, 50), P(150, 50), P(100, 130), P(50, 50) }));
}

TEST(MouseDrawing, Boxes_TwoClicksMakeCornersInClickOrder_ShiftMakesSquare)
{
    struct Case
    {
        TDrawTool tool;
        const char* className;
    };
    for (const Case& k :
        { Case { SpRectangle, "TMyRectangle" }, Case { SpEllipse, "TMyEllipse" }, Case { SpImage, "TMyImage" } }) {
        SCOPED_TRACE(k.className);
        Canvas c;
        c.cad.SetShapeTool(k.tool);
        c.mouse.Click(150, 130);
        c.mouse.Move(50, 50);
        ASSERT_EQ(c.cad.TraceOutlines().size(), 1u);
        c.mouse.Click(50, 50);
        ASSERT_EQ(c.cad.ShapeCount(), 1);
        EXPECT_STREQ(c.cad.ShapeByIndex(0)->ClassName(), k.className);
        EXPECT_EQ(
            c.cad.ShapeByIndex(0)->Nodes(), (std::vector<TMyPoint> { P(150, 130), P(50, 130), P(50, 50), P(150, 50) }));
    }
    Canvas c;
    c.cad.SetShapeTool(SpRectangle);
    c.mouse.Click(50, 50);
    c.mouse.Click(150, 90, Qt::ShiftModifier);
    EXPECT_EQ(c.cad.ShapeByIndex(0)->Nodes()[2], P(90, 90));
}

TEST(MouseDrawing, Text_OpensStringListEditorAndNormalisesCorners)
{
    Canvas c;
    ScriptedHost host;
    host.answer = { "first", "second" };
    c.cad.SetHost(&host);
    c.cad.SetShapeTool(SpText);
    c.mouse.Click(150, 130);
    c.mouse.Click(50, 50);
    ASSERT_EQ(c.cad.ShapeCount(), 1);
    const auto* text = dynamic_cast<const TMyText*>(c.cad.ShapeByIndex(0));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(host.edits, 1);
    EXPECT_EQ(text->Lines(), host.answer);
    EXPECT_EQ(text->Nodes(), (std::vector<TMyPoint> { P(50, 50), P(150, 50), P(150, 130), P(50, 130) }));

    host.confirm = false;
    c.cad.SetShapeTool(SpText);
    c.mouse.Click(200, 200);
    c.mouse.Click(300, 250);
    ASSERT_EQ(c.cad.ShapeCount(), 2);
    EXPECT_TRUE(static_cast<const TMyText*>(c.cad.ShapeByIndex(1))->Lines().isEmpty());
    c.cad.SetHost(nullptr);
}

TEST(MouseDrawing, LinkPointTakesOneClick_ReturnToSelectingOffKeepsDrawing)
{
    Canvas c;
    c.cad.SetReturnToSelecting(false);
    c.cad.SetShapeTool(SpLinkPoint);
    c.mouse.Click(50, 50);
    c.mouse.Click(90, 50);
    EXPECT_EQ(c.cad.ShapeCount(), 2);
    EXPECT_EQ(c.cad.ShapeTool(), SpLinkPoint);
    EXPECT_EQ(c.cad.ShapeByIndex(0)->Nodes()[2], P(58, 58));
}

TEST(MouseDrawing, LinkLine_AttachesToLinkPointsUnderTheMouse)
{
    Canvas c;
    c.cad.SetShapeTool(SpLinkPoint);
    c.mouse.Click(50, 50); // link point shape 0, centre (54, 54)
    c.cad.SetShapeTool(SpLinkPoint);
    c.mouse.Click(150, 50); // shape 1, centre (154, 54)
    c.cad.SetShapeTool(SpLinkLine);
    c.mouse.Click(53, 55);
    c.mouse.Click(155, 53);
    ASSERT_EQ(c.cad.ShapeCount(), 3);
    const auto* line = dynamic_cast<const TMyLinkLine*>(c.cad.ShapeByIndex(2));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->StartShapeIndex(), 0);
    EXPECT_EQ(line->EndShapeIndex(), 1);
    EXPECT_EQ(line->Nodes().front(), P(54, 54));
    EXPECT_EQ(line->Nodes().back(), P(154, 54));
    EXPECT_EQ(c.cad.ShapeByIndex(0)->Links(), std::vector<int> { 2 });

    // Dragging a linked shape takes the line's end along (small handles leave its
    // middle free for dragging); so does moving it by code.
    c.cad.SetHotSize(1);
    c.cad.SelectShapeById(c.cad.ShapeByIndex(0)->ShapeId(), true);
    c.mouse.Drag(54, 54, 54, 94);
    EXPECT_EQ(line->Nodes().front(), P(54, 94));
    c.cad.MoveShapeBy(c.cad.ShapeByIndex(1), 0, 20);
    EXPECT_EQ(line->Nodes().back(), P(154, 74));
}

TEST(MouseDrawing, Labels_PositionInCallersCornerAndDistanceWhileDrawing)
{
    Canvas c;
    QString xy, value;
    c.cad.LabelXY = [&](const QString& text) { xy = text; };
    c.cad.LabelValue = [&](const QString& text) { value = text; };
    c.cad.SetTheUNIT(pixel);
    c.cad.SetShapeTool(SpLine);
    c.mouse.Click(10, 10);
    c.mouse.Move(70, 90);
    EXPECT_EQ(xy, "(70,90)");
    EXPECT_EQ(value, "100.00 pixel(s)");
    c.cad.SetXYMode(Mode1);
    c.mouse.Move(70, 90);
    EXPECT_EQ(xy, QStringLiteral("(70,%1)").arg(c.cad.Height() - 90));
}

TEST(MouseDrawing, GridSnap_43BecomesFortyAnd45Stays)
{
    TMyCAD cad;
    cad.GridOperation().GridWidth = 20;
    cad.GridOperation().GridHeight = 20;
    cad.SetSnapPixels(4);
    EXPECT_EQ(cad.Mouse().SnapPoint(QPointF(43, 70), {}), QPointF(40, 70));
    EXPECT_EQ(cad.Mouse().SnapPoint(QPointF(45, 70), {}), QPointF(45, 70));
    EXPECT_EQ(cad.Mouse().SnapPoint(QPointF(37, 58), {}), QPointF(40, 60));

    MouseDriver mouse(cad);
    cad.SetShapeTool(SpLine);
    mouse.Click(43, 45);
    mouse.Click(103, 77);
    EXPECT_EQ(cad.ShapeByIndex(0)->Nodes(), (std::vector<TMyPoint> { P(40, 45), P(100, 80) }));
}

TEST(MouseDrawing, ShapeSnap_ToNearestEdgesOfOtherShapes)
{
    TMyCAD cad;
    cad.SetSnap(false);
    cad.SetSnapShape(true);
    CanvasBuilders::AddRect(cad, 100, 100, 50, 50);
    // Near the left edge, beside the shape's rows: x snaps; y is far from every edge.
    EXPECT_EQ(cad.Mouse().SnapPoint(QPointF(102, 120), {}), QPointF(100, 120));
    // Near the right and bottom edges at once.
    EXPECT_EQ(cad.Mouse().SnapPoint(QPointF(147, 152), {}), QPointF(150, 150));
    // Excluded shapes do not attract.
    EXPECT_EQ(cad.Mouse().SnapPoint(QPointF(102, 120), { cad.ShapeByIndex(0) }), QPointF(102, 120));
    // Grid snapping that moved the point wins over shapes.
    cad.SetSnap(true);
    EXPECT_EQ(cad.Mouse().SnapPoint(QPointF(102, 121), {}), QPointF(100, 120));
}

TEST(MouseDrawing, IdleAndRightButton_DoNothing)
{
    Canvas c;
    c.cad.SetShapeTool(SpClose);
    EXPECT_EQ(c.cad.ActionState(), TActionState::Idle);
    c.mouse.Click(10, 10);
    c.cad.SetShapeTool(SpLine);
    c.cad.MouseDown(Qt::RightButton, Qt::NoModifier, 10, 10);
    c.cad.MouseUp(Qt::RightButton, Qt::NoModifier, 10, 10);
    EXPECT_EQ(c.cad.ShapeInProgress(), nullptr);
    // Choosing a tool again drops the shape in progress.
    c.mouse.Click(10, 10);
    EXPECT_NE(c.cad.ShapeInProgress(), nullptr);
    c.cad.SetShapeTool(SpLine);
    EXPECT_EQ(c.cad.ShapeInProgress(), nullptr);
}

TEST(MouseDrawing, HostMouseCallbacks_DownAndMoveBeforeTheCanvasUpAfter)
{
    Canvas c;
    std::vector<QString> order;
    c.cad.OnMouseDown = [&](Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        order.push_back(c.cad.ShapeInProgress() == nullptr ? "down-before" : "down-after");
    };
    c.cad.OnMouseUp = [&](Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        order.push_back(c.cad.ShapeCount() == 1 ? "up-after" : "up-before");
    };
    c.cad.OnShapeAdded = [&](TMyShape*&, int) { order.push_back("added"); };
    c.cad.SetShapeTool(SpLinkPoint);
    c.mouse.Click(10, 10);
    EXPECT_EQ(order, (std::vector<QString> { "down-before", "added", "up-after" }));
}
