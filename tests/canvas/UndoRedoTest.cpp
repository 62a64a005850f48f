// Undo and redo: every recorded action played back and forward leaves the saved
// canvas byte for byte as it was, with the same ids and list indexes, and tells the
// listeners what changed.
#include "canvas/TMyCAD.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "tests/canvas/CanvasBuilders.h"
#include "tests/canvas/MouseDriver.h"

#include <gtest/gtest.h>

#include <functional>

using namespace CanvasBuilders;

namespace {

// A drawing with fields that Assign does not copy, groups and several layers.
void BuildDrawing(TMyCAD& cad)
{
    cad.SetSnap(false);
    AddLine(cad, 20, 20, 120, 20, SpRuleLine); // 0
    auto* rule = static_cast<TMyRuleLine*>(cad.ShapeByIndex(0));
    rule->SetShowUserInfo(true);
    rule->SetTickStyle(tsNone);
    rule->SetUserInfo("hair");
    rule->SetInfo("26.46 mm");
    rule->UserData().Add("Type", "L");
    AddRect(cad, 200, 200, 80, 40, SpText); // 1
    auto* text = static_cast<TMyText*>(cad.ShapeByIndex(1));
    text->SetLines({ "one", "two" });
    text->SetWordWrap(true);
    text->SetCaptionShow(false);
    AddRect(cad, 50, 300, 40, 40); // 2
    AddRect(cad, 150, 300, 40, 40, SpEllipse); // 3
    Group(cad, { 2, 3 }); // 4
    cad.AddLayer("HairLayer", true);
    cad.AddShape(SpPolyLine, QString(), 0, { QPointF(300, 50), QPointF(400, 50), QPointF(400, 150) }, "Poly"); // 5
    cad.AddShape(SpPolygon, QString(), 0,
        { QPointF(300, 300), QPointF(400, 300), QPointF(400, 400), QPointF(300, 400) }, "Quad"); // 6
    cad.ShapeByIndex(6)->SetMultiInfo({ "a", "b" });
    cad.ClearSelection();
    cad.UndoList().Clear();
}

struct Action
{
    const char* name;
    std::function<void(TMyCAD&, MouseDriver&)> run;
};

} // namespace

TEST(UndoRedo, EveryAction_RoundTripsTheStreamByteForByte)
{
    const Action actions[] = {
        { "draw with the mouse",
            [](TMyCAD& cad, MouseDriver& m) {
                cad.SetShapeTool(SpEllipse);
                m.Click(500, 500);
                m.Click(560, 530);
            } },
        { "add by code", [](TMyCAD& cad, MouseDriver&) { AddLine(cad, 1, 2, 3, 4); } },
        { "delete a group",
            [](TMyCAD& cad, MouseDriver&) {
                cad.SelectShapeById(cad.ShapeByIndex(4)->ShapeId(), true);
                cad.DeleteSelectedShapes();
            } },
        { "delete many by id, a group and its member among them",
            [](TMyCAD& cad, MouseDriver&) {
                const std::vector<int> ids { cad.ShapeByIndex(0)->ShapeId(), cad.ShapeByIndex(2)->ShapeId(),
                    cad.ShapeByIndex(4)->ShapeId(), cad.ShapeByIndex(5)->ShapeId(), 9999 };
                EXPECT_EQ(cad.DeleteShapesById(ids, true), 0);
            } },
        { "delete a member of a group",
            [](TMyCAD& cad, MouseDriver&) { cad.DeleteShapeById(cad.ShapeByIndex(2)->ShapeId(), true); } },
        { "delete the first shape",
            [](TMyCAD& cad, MouseDriver&) { cad.DeleteShapeById(cad.ShapeByIndex(0)->ShapeId(), true); } },
        { "drag a group",
            [](TMyCAD& cad, MouseDriver& m) {
                cad.SelectShapeById(cad.ShapeByIndex(4)->ShapeId(), true);
                m.Drag(70, 320, 90, 350);
            } },
        { "resize a text box",
            [](TMyCAD& cad, MouseDriver& m) {
                cad.SelectShapeById(cad.ShapeByIndex(1)->ShapeId(), true);
                m.Drag(280, 240, 300, 290);
            } },
        { "resize a group",
            [](TMyCAD& cad, MouseDriver& m) {
                cad.SelectShapeById(cad.ShapeByIndex(4)->ShapeId(), true);
                m.Drag(190, 340, 230, 380);
            } },
        { "rotate",
            [](TMyCAD& cad, MouseDriver& m) {
                cad.SetShapeTool(SpRotateSelecting);
                cad.SelectShapeById(cad.ShapeByIndex(1)->ShapeId(), true);
                m.Drag(280, 240, 240, 270);
            } },
        { "move a caption",
            [](TMyCAD& cad, MouseDriver& m) {
                cad.SelectShapeById(cad.ShapeByIndex(0)->ShapeId(), true);
                m.Drag(70, 30, 90, 60);
            } },
        { "remove a node",
            [](TMyCAD& cad, MouseDriver& m) {
                cad.SetShapeTool(SpPolylinePolygonPointRemoving);
                cad.SelectShapeById(cad.ShapeByIndex(6)->ShapeId(), true);
                m.Click(400, 300);
            } },
        { "add a node",
            [](TMyCAD& cad, MouseDriver& m) {
                cad.SetShapeTool(SpPolylinePolygonPointAdding);
                cad.SelectShapeById(cad.ShapeByIndex(5)->ShapeId(), true);
                m.Click(350, 52);
            } },
        { "drag the whole drawing",
            [](TMyCAD& cad, MouseDriver& m) {
                cad.SetShapeTool(SpDragWhole);
                m.Drag(0, 0, 15, 25);
            } },
        { "flip", [](TMyCAD& cad, MouseDriver&) { cad.FlipShapeHorz(cad.ShapeByIndex(4)); } },
        { "bring to front", [](TMyCAD& cad, MouseDriver&) { cad.BringToFront(cad.ShapeByIndex(0), true); } },
        { "send to back", [](TMyCAD& cad, MouseDriver&) { cad.SendToBack(cad.ShapeByIndex(6), true); } },
        { "send a group to back", [](TMyCAD& cad, MouseDriver&) { cad.SendToBack(cad.ShapeByIndex(4), true); } },
        { "group",
            [](TMyCAD& cad, MouseDriver&) {
                cad.SelectShapeById(cad.ShapeByIndex(0)->ShapeId(), true);
                cad.SelectShape(cad.ShapeByIndex(5));
                cad.GroupSelectedShapes();
            } },
        { "ungroup", [](TMyCAD& cad, MouseDriver&) { cad.UngroupShape(cad.ShapeByIndex(4)); } },
        { "paste",
            [](TMyCAD& cad, MouseDriver&) {
                cad.SelectShapeById(cad.ShapeByIndex(4)->ShapeId(), true);
                cad.CopyToClipboard();
                cad.PasteFromClipboard();
            } },
    };
    for (const Action& action : actions) {
        SCOPED_TRACE(action.name);
        TMyCAD cad;
        MouseDriver mouse(cad);
        BuildDrawing(cad);
        const QByteArray before = SavedStream(cad);
        const int nextId = cad.NextShapeId();
        action.run(cad, mouse);
        const QByteArray after = SavedStream(cad);
        ASSERT_NE(after, before);
        ASSERT_TRUE(cad.CanUndo());
        ASSERT_EQ(cad.UndoList().StepCount(), 1);
        const int nextIdAfter = cad.NextShapeId();

        ASSERT_TRUE(cad.Undo());
        EXPECT_EQ(SavedStream(cad), before);
        EXPECT_EQ(IndexFault(cad), QString());
        EXPECT_FALSE(cad.CanUndo());
        EXPECT_TRUE(cad.CanRedo());
        EXPECT_EQ(cad.NextShapeId(), nextIdAfter); // ids are never given twice
        EXPECT_GE(cad.NextShapeId(), nextId);

        ASSERT_TRUE(cad.Redo());
        EXPECT_EQ(SavedStream(cad), after);
        EXPECT_EQ(IndexFault(cad), QString());
        EXPECT_FALSE(cad.CanRedo());

        ASSERT_TRUE(cad.Undo());
        EXPECT_EQ(SavedStream(cad), before);
    }
}

TEST(UndoRedo, SeveralSteps_UndoneInReverseAndRedoneInOrder)
{
    TMyCAD cad;
    MouseDriver mouse(cad);
    BuildDrawing(cad);
    std::vector<QByteArray> states { SavedStream(cad) };
    cad.SelectShapeById(cad.ShapeByIndex(4)->ShapeId(), true);
    mouse.Drag(70, 320, 90, 350);
    states.push_back(SavedStream(cad));
    cad.DeleteShapeById(cad.ShapeByIndex(1)->ShapeId(), true);
    states.push_back(SavedStream(cad));
    cad.BringToFront(cad.ShapeByIndex(0), true);
    states.push_back(SavedStream(cad));
    cad.SelectShapeById(cad.ShapeByIndex(3)->ShapeId(), true);
    cad.DeleteSelectedShapes();
    states.push_back(SavedStream(cad));
    ASSERT_EQ(cad.UndoList().StepCount(), 4);

    for (int i = 3; i >= 0; --i) {
        ASSERT_TRUE(cad.Undo());
        EXPECT_EQ(SavedStream(cad), states[size_t(i)]) << "after undoing step " << i;
    }
    EXPECT_FALSE(cad.Undo());
    for (int i = 1; i <= 4; ++i) {
        ASSERT_TRUE(cad.Redo());
        EXPECT_EQ(SavedStream(cad), states[size_t(i)]) << "after redoing step " << i;
    }
    EXPECT_FALSE(cad.Redo());
}

TEST(UndoRedo, NewActionAfterUndo_DropsRedoSteps)
{
    TMyCAD cad;
    AddLine(cad, 0, 0, 10, 10);
    AddLine(cad, 0, 0, 20, 20);
    ASSERT_TRUE(cad.Undo());
    EXPECT_TRUE(cad.CanRedo());
    AddLine(cad, 0, 0, 30, 30);
    EXPECT_FALSE(cad.CanRedo());
    EXPECT_FALSE(cad.Redo());
    EXPECT_EQ(cad.UndoList().StepCount(), 2);
    // The new shape got a fresh id: the id of the undone shape is not given again.
    EXPECT_EQ(cad.ShapeByIndex(1)->ShapeId(), 2);
}

TEST(UndoRedo, Depth_KeepsTheLastStepsAndZeroStopsUndo)
{
    TMyCAD cad;
    cad.SetUndoRedoSize(2);
    AddLine(cad, 0, 0, 10, 10);
    AddLine(cad, 0, 0, 20, 20);
    AddLine(cad, 0, 0, 30, 30);
    ASSERT_EQ(cad.UndoList().StepCount(), 2);
    EXPECT_EQ(cad.UndoList().Entries()[0].shape->ShapeId(), 1);
    EXPECT_TRUE(cad.Undo());
    EXPECT_TRUE(cad.Undo());
    EXPECT_FALSE(cad.Undo());
    EXPECT_EQ(cad.ShapeCount(), 1);
    EXPECT_EQ(cad.UndoList().RedoStepCount(), 2);
    cad.SetUndoRedoSize(0);
    EXPECT_FALSE(cad.CanRedo());
    AddLine(cad, 0, 0, 40, 40);
    EXPECT_FALSE(cad.Undo());
}

TEST(UndoRedo, Events_ListenersHearOfShapesGoneBackAndNodes)
{
    TMyCAD cad;
    cad.SetSnap(false);
    MouseDriver mouse(cad);
    std::vector<QString> events;
    cad.OnShapeAdded = [&](TMyShape*& s, int) { events.push_back("added " + s->Name()); };
    cad.OnShapeDeleted = [&](TMyShape* s) { events.push_back("deleted " + s->Name()); };
    cad.OnNodeAdded = [&](TMyShape*&, int i) { events.push_back(QStringLiteral("node added %1").arg(i)); };
    cad.OnNodeDeleted = [&](TMyShape*&, int i) { events.push_back(QStringLiteral("node deleted %1").arg(i)); };
    cad.OnShapeMouseResized = [&](TMyShape* s, QPointF&, QPointF&) { events.push_back("resized " + s->Name()); };
    cad.OnShapeMouseDragged = [&](TMyShape* s, QPointF&, QPointF&) { events.push_back("dragged " + s->Name()); };

    cad.AddShape(SpPolyLine, QString(), 0, { QPointF(50, 50), QPointF(150, 50), QPointF(150, 150) }, "Poly");
    cad.Undo();
    cad.Redo();
    cad.SetShapeTool(SpPolylinePolygonPointAdding);
    cad.SelectShapeById(0, true);
    mouse.Click(100, 52);
    cad.Undo();
    cad.Redo();
    cad.SetShapeTool(SpSelecting);
    cad.SelectShapeById(0, true);
    mouse.Drag(150, 150, 160, 170);
    mouse.Drag(120, 52, 130, 62);
    events.clear();
    cad.Undo();
    cad.Undo();
    EXPECT_EQ(events, (std::vector<QString> { "dragged Poly", "resized Poly" }));
    events.clear();
    cad.Undo(); // the added node
    cad.Undo(); // the added shape
    EXPECT_EQ(events, (std::vector<QString> { "node deleted 1", "deleted Poly" }));
}

TEST(UndoRedo, UndoAdd_ShapeGoneAndSelectionCleared_UndoDeleteSelectsItAgain)
{
    TMyCAD cad;
    const int id = AddLine(cad, 0, 0, 10, 10);
    ASSERT_TRUE(cad.Undo());
    EXPECT_EQ(cad.ShapeById(id), nullptr);
    EXPECT_EQ(cad.SelectedCount(), 0);
    ASSERT_TRUE(cad.Redo());
    ASSERT_NE(cad.ShapeById(id), nullptr);
    EXPECT_EQ(cad.ShapeById(id)->Name(), "Line");
    cad.DeleteShapeById(id, true);
    ASSERT_TRUE(cad.Undo());
    EXPECT_EQ(cad.SelectedShape(), cad.ShapeById(id));
}

TEST(UndoRedo, AfterUnrecordedDeletion_PlaysBackWithoutBreakingIndexes)
{
    TMyCAD cad;
    AddRect(cad, 0, 0, 10, 10);
    AddRect(cad, 20, 0, 10, 10);
    AddRect(cad, 40, 0, 10, 10);
    cad.DeleteShapeById(2, true);
    cad.DeleteShapeById(0, false); // not recorded: the list no longer matches the record
    ASSERT_TRUE(cad.Undo());
    EXPECT_EQ(cad.ShapeCount(), 2);
    EXPECT_EQ(IndexFault(cad), QString());
    ASSERT_NE(cad.ShapeById(2), nullptr);
    ASSERT_TRUE(cad.Undo()); // the add of shape 2
    ASSERT_TRUE(cad.Undo()); // the add of shape 1
    cad.Undo(); // the add of shape 0 finds nothing left to remove
    EXPECT_FALSE(cad.CanUndo());
    EXPECT_EQ(cad.ShapeCount(), 0);
}

TEST(UndoRedo, GroupAndUngroup_ByCode)
{
    TMyCAD cad;
    AddRect(cad, 0, 0, 10, 10);
    AddRect(cad, 20, 0, 10, 10);
    EXPECT_EQ(cad.GroupSelectedShapes(), nullptr); // one shape selected
    cad.SelectShapeById(0, false);
    TMyShape* group = cad.GroupSelectedShapes();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->Children(), (std::vector<int> { 0, 1 }));
    EXPECT_EQ(cad.SelectedShape(), group);
    EXPECT_EQ(group->Right(), 30);
    EXPECT_EQ(cad.UndoList().Entries().back().action, "ACT_GROUP");
    EXPECT_FALSE(cad.UngroupShape(cad.ShapeByIndex(0)));
    EXPECT_TRUE(cad.UngroupShape(group));
    EXPECT_EQ(cad.ShapeCount(), 2);
    EXPECT_EQ(cad.SelectedCount(), 2);
    EXPECT_EQ(cad.ShapeByIndex(0)->ParentGroup(), -1);
    EXPECT_EQ(cad.UndoList().Entries().back().action, "ACT_UNGROUP");
    EXPECT_EQ(cad.UndoList().Entries().size(), 5u); // two adds, the group, two members
}
