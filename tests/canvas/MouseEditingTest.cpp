// Editing selected shapes with the mouse: resizing by corner and side handles (with
// Shift, rotation and groups), rotating, moving captions, adding and removing nodes,
// and dragging the whole drawing.
#include "canvas/TMyCAD.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "tests/canvas/CanvasBuilders.h"
#include "tests/canvas/MouseDriver.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace CanvasBuilders;

namespace {

TMyPoint P(float x, float y)
{
    return TMyPoint { x, y };
}

struct Canvas
{
    Canvas() { cad.SetSnap(false); }
    TMyShape* Shape(int index) { return cad.ShapeByIndex(index); }
    TMyCAD cad;
    MouseDriver mouse { cad };
};

void ExpectNear(TMyPoint actual, TMyPoint expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-3);
    EXPECT_NEAR(actual.y, expected.y, 1e-3);
}

} // namespace

TEST(MouseEditing, CornerHandle_ResizesBoxAndScalesCaption)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 100, 100); // stays selected
    int resizing = 0, resized = 0, finished = 0;
    c.cad.OnShapeMouseResizing = [&](TMyShape*, QPointF&, QPointF&) { ++resizing; };
    c.cad.OnShapeMouseResized = [&](TMyShape*, QPointF& from, QPointF& to) {
        ++resized;
        EXPECT_EQ(from, QPointF(150, 150));
        EXPECT_EQ(to, QPointF(201, 251));
    };
    c.cad.OnShapeMouseResizeFinished = [&](TMyShape*, QPointF&, QPointF&) { ++finished; };
    QString value;
    c.cad.LabelValue = [&](const QString& text) { value = text; };
    c.cad.SetTheUNIT(pixel);
    c.mouse.Down(152, 149); // inside the handle of corner 2
    EXPECT_EQ(c.cad.ActionState(), TActionState::Resizing);
    c.mouse.Move(201, 251);
    EXPECT_EQ(value, "113.00 pixel(s)"); // from the corner, not from the click
    EXPECT_EQ(c.Shape(0)->Right(), 150); // only the trace follows the mouse
    ASSERT_EQ(c.cad.TraceOutlines().size(), 1u);
    EXPECT_EQ(c.cad.TraceOutlines()[0].boundingRect(), QRectF(50, 50, 151, 201));
    c.mouse.Up(201, 251);
    EXPECT_EQ(c.Shape(0)->Nodes(), (std::vector<TMyPoint> { P(50, 50), P(201, 50), P(201, 251), P(50, 251) }));
    ExpectNear(c.Shape(0)->Center(), P(125.5f, 150.5f));
    // The caption kept its place relative to the box: (100, 160) became (125.5, 261.1).
    ExpectNear(c.Shape(0)->CaptionPos(), P(50 + 50 * 1.51f, 50 + 110 * 2.01f));
    EXPECT_EQ(resizing, 1);
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(c.cad.UndoList().Entries().back().action, "ACT_CHANGE");
    EXPECT_EQ(c.cad.ActionState(), TActionState::Selecting);
}

TEST(MouseEditing, CornerHandleWithShift_KeepsSquare)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 100, 100);
    c.mouse.Down(150, 150);
    c.mouse.Up(250, 200, Qt::ShiftModifier);
    EXPECT_EQ(c.Shape(0)->Nodes()[2], P(200, 200));
    c.mouse.Down(50, 50); // corner 0, opposite corner 2 at (200, 200)
    c.mouse.Up(0, 20, Qt::ShiftModifier);
    EXPECT_EQ(c.Shape(0)->Nodes()[0], P(20, 20));
}

TEST(MouseEditing, SideHandle_MovesOneEdge_HandlerChangeIgnoredUnlessAssociated)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 100, 100);
    auto* box = static_cast<TMyRectangle*>(c.Shape(0));
    c.cad.OnShapeMouseResizing = [](TMyShape*, QPointF&, QPointF& to) { to += QPointF(0, 30); };
    c.cad.OnShapeMouseResized = [](TMyShape*, QPointF&, QPointF& to) { to += QPointF(10, 0); };
    c.mouse.Down(151, 100); // handle 5, the middle of the right edge
    c.mouse.Move(181, 130);
    c.mouse.Up(181, 130);
    EXPECT_EQ(box->Nodes(), (std::vector<TMyPoint> { P(50, 50), P(181, 50), P(181, 150), P(50, 150) }));

    box->SetAssociateSideResizing(true);
    c.mouse.Down(181, 100);
    c.mouse.Up(201, 100);
    EXPECT_EQ(box->Right(), 211);

    c.cad.OnShapeMouseResizing = nullptr;
    c.cad.OnShapeMouseResized = nullptr;
    c.mouse.Down(130, 150); // handle 6, the bottom edge
    c.mouse.Up(100, 180);
    EXPECT_EQ(box->Nodes(), (std::vector<TMyPoint> { P(50, 50), P(211, 50), P(211, 180), P(50, 180) }));
}

TEST(MouseEditing, Resize_LockedOrDisabled_LeavesShape)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 100, 100);
    c.Shape(0)->SetLocked(true);
    c.mouse.Down(150, 150);
    c.mouse.Up(200, 200);
    EXPECT_EQ(c.Shape(0)->Right(), 150);
    c.Shape(0)->SetLocked(false);
    c.Shape(0)->SetResizeEnable(false);
    c.mouse.Down(150, 150);
    c.mouse.Up(200, 200);
    EXPECT_EQ(c.Shape(0)->Right(), 150);
    c.cad.SetResizeEnable(false);
    c.mouse.Down(150, 150);
    EXPECT_NE(c.cad.ActionState(), TActionState::Resizing);
    c.mouse.Up(150, 150);
}

TEST(MouseEditing, LineEndWithShift_BecomesHorizontal)
{
    Canvas c;
    AddLine(c.cad, 50, 50, 150, 60);
    c.mouse.Down(150, 60);
    c.mouse.Up(200, 80, Qt::ShiftModifier);
    EXPECT_EQ(c.Shape(0)->Nodes()[1], P(200, 50));
}

TEST(MouseEditing, RotatedBox_CornerFollowsMouseAndOppositeCornerStays)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 100, 100);
    c.Shape(0)->SetAngle(static_cast<float>(M_PI / 2)); // a quarter turn about (100, 100)
    const TMyPoint opposite = c.Shape(0)->Nodes()[0];
    const TMyPoint corner = c.Shape(0)->Nodes()[2];
    c.mouse.Down(CanvasMath::RoundToInt(corner.x), CanvasMath::RoundToInt(corner.y));
    c.mouse.Up(20, 170);
    ExpectNear(c.Shape(0)->Nodes()[0], opposite);
    ExpectNear(c.Shape(0)->Nodes()[2], P(20, 170));
    EXPECT_NEAR(c.Shape(0)->Angle(), M_PI / 2, 1e-6);
}

TEST(MouseEditing, GroupCornerHandle_ScalesMembers_TooSmallLeavesThem)
{
    Canvas c;
    AddRect(c.cad, 0, 0, 50, 50);
    AddRect(c.cad, 50, 50, 50, 50);
    TMyShape* group = Group(c.cad, { 0, 1 }); // box 0..100
    c.cad.SelectShapeById(group->ShapeId(), true);
    c.mouse.Down(100, 100);
    c.mouse.Up(200, 150);
    EXPECT_EQ(c.Shape(0)->Nodes(), (std::vector<TMyPoint> { P(0, 0), P(100, 0), P(100, 75), P(0, 75) }));
    EXPECT_EQ(c.Shape(1)->Nodes()[2], P(200, 150));
    EXPECT_EQ(group->Nodes()[2], P(200, 150));
    EXPECT_TRUE(CanvasBuilders::IndexFault(c.cad).isEmpty());

    c.mouse.Down(200, 150);
    c.mouse.Up(3, 3);
    EXPECT_EQ(group->Nodes()[2], P(3, 3));
    EXPECT_EQ(c.Shape(1)->Nodes()[2], P(200, 150));
}

TEST(MouseEditing, Rotation_22DegreesConstrainedTo15)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 100, 100); // centre (100, 100)
    c.cad.SetRotateConstraintDegree(15);
    c.cad.SetShapeTool(SpRotateSelecting);
    c.cad.SelectShapeById(0, true);
    int rotating = 0, rotated = 0;
    c.cad.OnShapeMouseRotating = [&](TMyShape*, QPointF&, QPointF&) { ++rotating; };
    c.cad.OnShapeMouseRotated = [&](TMyShape*, QPointF&, QPointF&) { ++rotated; };
    const double a = (45.0 + 22.0) * M_PI / 180.0;
    const int x = CanvasMath::RoundToInt(100 + std::sqrt(2.0) * 50 * std::cos(a));
    const int y = CanvasMath::RoundToInt(100 + std::sqrt(2.0) * 50 * std::sin(a));
    c.mouse.Down(150, 150); // corner 2 at 45 degrees
    EXPECT_EQ(c.cad.ActionState(), TActionState::Rotating);
    c.mouse.Move(x, y);
    EXPECT_FALSE(c.cad.TraceOutlines().empty());
    c.mouse.Up(x, y);
    EXPECT_NEAR(c.Shape(0)->Angle(), 15.0 * M_PI / 180.0, 1e-6);
    const double b = 60.0 * M_PI / 180.0;
    ExpectNear(c.Shape(0)->Nodes()[2],
        P(static_cast<float>(100 + std::sqrt(2.0) * 50 * std::cos(b)),
            static_cast<float>(100 + std::sqrt(2.0) * 50 * std::sin(b))));
    EXPECT_EQ(rotating, 1);
    EXPECT_EQ(rotated, 1);
    EXPECT_EQ(c.cad.ActionState(), TActionState::RotateSelecting);
    EXPECT_DOUBLE_EQ(c.cad.Mouse().RotationAngle(QPointF(0, 0), QPointF(10, 0), QPointF(0, 10)), M_PI / 2);
}

TEST(MouseEditing, Rotation_DisabledOrSideHandle_DoesNotRotate)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 100, 100);
    c.cad.SetShapeTool(SpRotateSelecting);
    c.cad.SelectShapeById(0, true);
    c.mouse.Down(150, 100); // a side handle: ignored while rotating
    EXPECT_NE(c.cad.ActionState(), TActionState::Rotating);
    c.mouse.Up(150, 100);
    c.cad.SetRotateEnable(false);
    c.mouse.Down(150, 150);
    EXPECT_NE(c.cad.ActionState(), TActionState::Rotating);
    c.mouse.Up(100, 180);
    EXPECT_EQ(c.Shape(0)->Angle(), 0.0f);
}

TEST(MouseEditing, CaptionHandle_DragsCaptionOfShapesWithInfo)
{
    Canvas c;
    AddLine(c.cad, 50, 50, 150, 50, SpRuleLine); // caption at (100, 60)
    TMyShape* rule = c.Shape(0);
    c.mouse.Down(100, 60);
    EXPECT_NE(c.cad.ActionState(), TActionState::CaptionDragging); // no Info text yet
    c.mouse.Up(100, 60);
    rule->SetInfo("26.46 mm");
    c.cad.SelectShapeById(rule->ShapeId(), true);
    c.mouse.Down(101, 61);
    EXPECT_EQ(c.cad.ActionState(), TActionState::CaptionDragging);
    c.mouse.Move(120, 90);
    ASSERT_EQ(c.cad.TraceOutlines().size(), 1u);
    c.mouse.Up(120, 90);
    EXPECT_EQ(rule->CaptionPos(), P(120, 90));
    EXPECT_EQ(rule->Nodes()[0], P(50, 50));
    EXPECT_EQ(c.cad.ActionState(), TActionState::Selecting);
}

TEST(MouseEditing, NodeRemoving_CodesAndClosingNode)
{
    Canvas c;
    c.cad.AddShape(SpPolygon, QString(), 0, { QPointF(50, 50), QPointF(150, 50), QPointF(100, 150) }, "Tri");
    std::vector<int> reported;
    c.cad.OnNodeDeleted = [&](TMyShape*&, int index) { reported.push_back(index); };
    c.cad.SetShapeTool(SpPolylinePolygonPointRemoving);
    c.cad.SelectShapeById(0, true);
    const auto before = c.Shape(0)->Nodes();
    c.mouse.Click(150, 50);
    EXPECT_EQ(c.Shape(0)->Nodes(), before);

    c.cad.AddShape(
        SpPolygon, QString(), 0, { QPointF(250, 50), QPointF(350, 50), QPointF(350, 150), QPointF(250, 150) }, "Quad");
    c.mouse.Click(250, 50); // the first node, which is also the closing node: the last handle wins
    c.mouse.Click(350, 150);
    EXPECT_EQ(c.Shape(1)->Nodes(), (std::vector<TMyPoint> { P(250, 50), P(350, 50), P(250, 150), P(250, 50) }));
    c.cad.AddShape(SpPolyLine, QString(), 0, { QPointF(50, 250), QPointF(150, 250), QPointF(150, 350) }, "Poly");
    c.mouse.Click(50, 250);
    c.mouse.Click(150, 250);
    EXPECT_EQ(c.Shape(2)->Nodes(), (std::vector<TMyPoint> { P(150, 250), P(150, 350) }));
    EXPECT_EQ(reported, (std::vector<int> { -8, -7, 2, 0, -8 }));
}

TEST(MouseEditing, NodeRemoving_FirstNodeMovesTheClosingNode)
{
    Canvas c;
    c.cad.AddShape(
        SpPolygon, QString(), 0, { QPointF(250, 50), QPointF(350, 50), QPointF(350, 150), QPointF(250, 150) }, "Quad");
    c.cad.SetShapeTool(SpPolylinePolygonPointRemoving);
    c.cad.SelectShapeById(0, true);
    TMyShape* quad = c.Shape(0);
    quad->Nodes().back() = P(250, 52); // a closing node away from node 0, so node 0 can be hit
    c.mouse.Click(250, 46);
    EXPECT_EQ(quad->Nodes(), (std::vector<TMyPoint> { P(350, 50), P(350, 150), P(250, 150), P(350, 50) }));
}

TEST(MouseEditing, NodeAdding_InsertsOnTheHitSegment)
{
    Canvas c;
    c.cad.AddShape(SpPolyLine, QString(), 0, { QPointF(50, 50), QPointF(150, 50), QPointF(150, 150) }, "Poly");
    int added = -1;
    c.cad.OnNodeAdded = [&](TMyShape*&, int index) { added = index; };
    c.cad.SetShapeTool(SpPolylinePolygonPointAdding);
    c.cad.SelectShapeById(0, true);
    c.mouse.Click(155, 100);
    EXPECT_EQ(added, 2);
    EXPECT_EQ(c.Shape(0)->Nodes(), (std::vector<TMyPoint> { P(50, 50), P(150, 50), P(155, 100), P(150, 150) }));
    added = -1;
    c.mouse.Click(300, 300);
    EXPECT_EQ(added, -1);
}

TEST(MouseEditing, WholeDragging_MovesEveryShapeOfTheReachableLayers)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 50, 50);
    c.cad.AddLayer("Other", true);
    AddLine(c.cad, 200, 200, 250, 250);
    int whole = 0;
    c.cad.OnWholeDragged = [&] { ++whole; };
    c.cad.SetShapeTool(SpDragWhole);
    c.mouse.Down(10, 10);
    c.mouse.Move(30, 40);
    EXPECT_EQ(c.cad.TraceOutlines().size(), 2u);
    c.mouse.Up(30, 40);
    EXPECT_EQ(c.Shape(0)->Left(), 70);
    EXPECT_EQ(c.Shape(1)->Nodes()[0], P(220, 230));
    EXPECT_EQ(whole, 1);

    c.cad.SetOperateAllLayer(false); // the line's layer is current
    c.mouse.Drag(0, 0, 10, 0);
    EXPECT_EQ(c.Shape(0)->Left(), 70);
    EXPECT_EQ(c.Shape(1)->Nodes()[0], P(230, 230));
    EXPECT_EQ(whole, 2);
}
