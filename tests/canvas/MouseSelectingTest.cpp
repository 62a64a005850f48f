// Selecting and dragging with the mouse: clicks, Shift-clicks, rubber band,
// click-through, group members, DragMode, LockBound, snapping while dragging,
// hover events, hints and cursors.
#include "canvas/TMyCAD.h"
#include "canvas/TMyRectangle.h"
#include "tests/canvas/CanvasBuilders.h"
#include "tests/canvas/MouseDriver.h"

#include <gtest/gtest.h>

using namespace CanvasBuilders;

namespace {

struct Canvas
{
    Canvas()
    {
        cad.SetSnap(false);
        cad.ClearSelection();
    }
    TMyShape* Shape(int index) { return cad.ShapeByIndex(index); }
    TMyCAD cad;
    MouseDriver mouse { cad };
};

class RecordingHost : public TMyCADHost
{
public:
    void SetCursorShape(Qt::CursorShape shape) override { cursor = shape; }
    void ShowHint(const QString& text) override { hints.push_back(text); }
    void ConfineCursor(const QRect& area) override { confined = area; }
    void ReleaseCursor() override { confined = QRect(); }
    Qt::CursorShape cursor = Qt::CrossCursor;
    QStringList hints;
    QRect confined;
};

} // namespace

TEST(MouseSelecting, Click_SelectsTopmostAndFiresSelectedAndClick)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 100, 100);
    AddRect(c.cad, 90, 90, 100, 100);
    c.cad.ClearSelection();
    std::vector<std::pair<TMyShape*, TMyShape*>> selected;
    c.cad.OnShapeSelected = [&](TMyShape* last, TMyShape* now) { selected.emplace_back(last, now); };
    int clicks = 0;
    c.Shape(1)->OnClick = [&](TMyCAD* sender) {
        EXPECT_EQ(sender, &c.cad);
        ++clicks;
    };
    c.mouse.Click(120, 120);
    EXPECT_EQ(c.cad.SelectedShape(), c.Shape(1));
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0].first, nullptr);
    EXPECT_EQ(selected[0].second, c.Shape(1));
    EXPECT_EQ(c.cad.ActionState(), TActionState::Selecting);

    // Clicking empty space clears the selection.
    c.mouse.Click(400, 400);
    EXPECT_EQ(c.cad.SelectedCount(), 0);
}

TEST(MouseSelecting, ShiftClick_AddsUnselectedAndDeselectsSelected)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 60, 60);
    AddRect(c.cad, 150, 50, 60, 60);
    c.cad.ClearSelection();
    c.mouse.Click(80, 80);
    c.mouse.Click(180, 80, Qt::ShiftModifier);
    EXPECT_EQ(c.cad.SelectedCount(), 2);
    c.mouse.Click(80, 80, Qt::ShiftModifier);
    EXPECT_EQ(c.cad.GetSelection(), std::vector<TMyShape*> { c.Shape(1) });
}

TEST(MouseSelecting, RubberBand_SelectsOnlyShapesWhollyInside)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 60, 60);
    AddRect(c.cad, 150, 50, 60, 60);
    c.cad.ClearSelection();
    c.mouse.Down(30, 30);
    c.mouse.Move(180, 130);
    EXPECT_EQ(c.cad.TraceBand(), QRectF(QPointF(30, 30), QPointF(180, 130)));
    c.mouse.Up(180, 130);
    EXPECT_EQ(c.cad.GetSelection(), std::vector<TMyShape*> { c.Shape(0) });
    EXPECT_TRUE(c.cad.TraceBand().isEmpty());

    // Drawn from the lower right the band works the same.
    c.mouse.Drag(250, 150, 20, 20);
    EXPECT_EQ(c.cad.SelectedCount(), 2);
}

TEST(MouseSelecting, Drag_MovesSelectionRecordsChangeAndReportsEvents)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 60, 60);
    c.cad.ClearSelection();
    c.cad.UndoList().Clear();
    int dragging = 0;
    QPointF draggedFrom, draggedTo;
    c.cad.OnShapeMouseDragging = [&](TMyShape*, QPointF&, QPointF&) { ++dragging; };
    c.cad.OnShapeMouseDragged = [&](TMyShape*, QPointF& from, QPointF& to) {
        draggedFrom = from;
        draggedTo = to;
    };
    c.mouse.Down(80, 80);
    EXPECT_EQ(c.cad.ActionState(), TActionState::Dragging);
    c.mouse.Move(100, 90);
    ASSERT_FALSE(c.cad.TraceOutlines().empty());
    EXPECT_EQ(c.cad.TraceOutlines()[0].boundingRect(), QRectF(70, 60, 60, 60));
    EXPECT_EQ(c.Shape(0)->Left(), 50); // only the trace moves before the release
    c.mouse.Move(110, 100);
    c.mouse.Up(110, 100);
    EXPECT_EQ(c.Shape(0)->Left(), 80);
    EXPECT_EQ(c.Shape(0)->Top(), 70);
    EXPECT_EQ(c.Shape(0)->CaptionPos(), (TMyPoint { 110, 140 }));
    EXPECT_EQ(dragging, 2);
    EXPECT_EQ(draggedFrom, QPointF(80, 80));
    EXPECT_EQ(draggedTo, QPointF(110, 100));
    ASSERT_EQ(c.cad.UndoList().Entries().size(), 1u);
    EXPECT_EQ(c.cad.UndoList().Entries()[0].action, "ACT_CHANGE");
    EXPECT_EQ(c.cad.ActionState(), TActionState::Selecting);
    EXPECT_TRUE(c.cad.TraceOutlines().empty());
}

TEST(MouseSelecting, Drag_HorizontalModeKeepsY_HandlerMayMoveFurther)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 60, 60);
    c.cad.ClearSelection();
    c.cad.SetDragMode(dgHorz);
    c.mouse.Drag(80, 80, 130, 140);
    EXPECT_EQ(c.Shape(0)->Left(), 100);
    EXPECT_EQ(c.Shape(0)->Top(), 50);

    c.cad.SetDragMode(dgVert);
    c.mouse.Drag(130, 80, 170, 100);
    EXPECT_EQ(c.Shape(0)->Left(), 100);
    EXPECT_EQ(c.Shape(0)->Top(), 70);

    c.cad.SetDragMode(dgBoth);
    c.cad.OnShapeMouseDragged = [](TMyShape*, QPointF&, QPointF& to) { to += QPointF(5, 0); };
    c.mouse.Drag(130, 100, 140, 100);
    EXPECT_EQ(c.Shape(0)->Left(), 115);
}

TEST(MouseSelecting, Drag_WithXYModeReportsCallersCorner)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 60, 60);
    c.cad.ClearSelection();
    c.cad.SetXYMode(Mode2);
    QPointF from, to;
    c.cad.OnShapeMouseDragged = [&](TMyShape*, QPointF& f, QPointF& t) {
        from = f;
        to = t;
    };
    c.mouse.Drag(80, 80, 90, 100);
    EXPECT_EQ(from, QPointF(c.cad.Width() - 80, c.cad.Height() - 80));
    EXPECT_EQ(to, QPointF(c.cad.Width() - 90, c.cad.Height() - 100));
}

TEST(MouseSelecting, LockBound_KeepsTheBoxInsideTheControl)
{
    Canvas c;
    RecordingHost host;
    c.cad.SetHost(&host);
    AddRect(c.cad, 50, 50, 60, 60);
    c.cad.ClearSelection();
    c.cad.SetLockBound(true);
    c.mouse.Down(80, 80);
    c.mouse.Move(10, -40);
    EXPECT_EQ(host.confined, QRectF(QPointF(30, 30), QPointF(c.cad.Width() - 30, c.cad.Height() - 30)).toRect());
    c.mouse.Up(10, -40);
    EXPECT_TRUE(host.confined.isNull());
    EXPECT_EQ(c.Shape(0)->Left(), 0);
    EXPECT_EQ(c.Shape(0)->Top(), 0);
    c.cad.SetHost(nullptr);
}

TEST(MouseSelecting, Drag_SnapsTheSelectionBoxToTheGrid)
{
    Canvas c;
    c.cad.SetSnap(true);
    AddRect(c.cad, 50, 50, 60, 60); // box 50..110
    c.cad.ClearSelection();
    c.mouse.Drag(80, 80, 91, 73); // box would start at 61, 43: 60 and 40 are near
    EXPECT_EQ(c.Shape(0)->Left(), 60);
    EXPECT_EQ(c.Shape(0)->Top(), 40);
}

TEST(MouseSelecting, ClickThrough_SmallShapeInsideSelectedShapeIsSelectedOnClick)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 200, 200);
    AddRect(c.cad, 100, 100, 40, 40);
    c.cad.SendToBack(c.Shape(1), false); // the small one lies below the big one
    TMyShape* big = c.Shape(1);
    TMyShape* small = c.Shape(0);
    c.cad.ClearSelection();
    c.mouse.Click(120, 120);
    EXPECT_EQ(c.cad.SelectedShape(), big);
    std::vector<std::pair<TMyShape*, TMyShape*>> selected;
    c.cad.OnShapeSelected = [&](TMyShape* last, TMyShape* now) { selected.emplace_back(last, now); };
    c.mouse.Click(120, 120);
    EXPECT_EQ(c.cad.SelectedShape(), small);
    ASSERT_EQ(selected.size(), 2u);
    EXPECT_EQ(selected[1], std::make_pair(big, small));

    // A drag moves the selected shape instead.
    c.cad.SelectShapeById(big->ShapeId(), true);
    c.mouse.Drag(200, 200, 210, 200);
    EXPECT_EQ(big->Left(), 60);
    EXPECT_EQ(c.cad.SelectedShape(), big);
}

TEST(MouseSelecting, GroupMember_ClickWithoutMovingSelectsTheMemberWhenAccepted)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 40, 40);
    AddRect(c.cad, 150, 50, 40, 40);
    TMyShape* group = Group(c.cad, { 0, 1 });
    c.cad.ClearSelection();
    c.mouse.Click(70, 70);
    EXPECT_EQ(c.cad.SelectedShape(), group);
    bool accept = false;
    TMyShape* offered = nullptr;
    c.cad.OnChildShapeSelected = [&](TMyShape* child, bool& acceptSelect) {
        offered = child;
        acceptSelect = accept;
    };
    c.mouse.Click(170, 70);
    EXPECT_EQ(offered, c.Shape(1));
    EXPECT_EQ(c.cad.SelectedShape(), group);
    accept = true;
    c.mouse.Click(170, 70);
    EXPECT_EQ(c.cad.SelectedShape(), c.Shape(1));
}

TEST(MouseSelecting, LayersOutOfReach_AreNotSelected)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 60, 60);
    const int hidden = c.cad.AddLayer("Hidden", true);
    AddRect(c.cad, 150, 50, 60, 60);
    c.cad.HideLayer(hidden);
    c.cad.ClearSelection();
    c.mouse.Click(180, 80);
    EXPECT_EQ(c.cad.SelectedCount(), 0);
    c.cad.ShowLayer(hidden);
    c.cad.SetCurrentLayer(hidden);
    c.cad.SetOperateAllLayer(false);
    c.mouse.Click(80, 80);
    EXPECT_EQ(c.cad.SelectedCount(), 0);
    c.mouse.Click(180, 80);
    EXPECT_EQ(c.cad.SelectedShape(), c.Shape(1));
}

TEST(MouseSelecting, Hover_EnterLeaveHintAndCursor)
{
    Canvas c;
    RecordingHost host;
    c.cad.SetHost(&host);
    c.cad.SetShowHint(true);
    AddRect(c.cad, 50, 50, 60, 60);
    AddRect(c.cad, 150, 50, 60, 60);
    c.Shape(0)->SetCaption("first");
    c.Shape(1)->SetCaption("second");
    std::vector<QString> events;
    c.cad.OnMouseEnterShape = [&](TMyShape* s) { events.push_back("enter " + s->Caption()); };
    c.cad.OnMouseLeaveShape = [&](TMyShape* s) { events.push_back("leave " + s->Caption()); };
    c.mouse.Move(80, 80);
    c.mouse.Move(81, 80);
    c.mouse.Move(180, 80);
    c.mouse.Move(300, 300);
    EXPECT_EQ(events, (std::vector<QString> { "enter first", "leave first", "enter second", "leave second" }));
    EXPECT_EQ(host.hints, (QStringList { "first", "second", "" }));

    // Over the corner handles of a selected box the cursor shows the resize direction.
    c.cad.SelectShapeById(c.Shape(0)->ShapeId(), true);
    c.mouse.Move(50, 50);
    EXPECT_EQ(host.cursor, Qt::SizeFDiagCursor);
    c.mouse.Move(110, 50);
    EXPECT_EQ(host.cursor, Qt::SizeBDiagCursor);
    c.mouse.Move(80, 50);
    EXPECT_EQ(host.cursor, Qt::SizeVerCursor);
    c.mouse.Move(110, 80);
    EXPECT_EQ(host.cursor, Qt::SizeHorCursor);
    c.mouse.Move(80, 80);
    EXPECT_EQ(host.cursor, Qt::CrossCursor);
    c.cad.SetHost(nullptr);
}

TEST(MouseSelecting, Browsing_SelectsButNeverMoves)
{
    Canvas c;
    AddRect(c.cad, 50, 50, 60, 60);
    c.cad.ClearSelection();
    c.cad.SetShapeTool(SpBrowse);
    c.mouse.Drag(80, 80, 120, 120);
    EXPECT_EQ(c.cad.SelectedShape(), c.Shape(0));
    EXPECT_EQ(c.Shape(0)->Left(), 50);
    EXPECT_EQ(c.cad.ActionState(), TActionState::Browsing);
}
