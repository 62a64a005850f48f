// The canvas's shape list, ids, layers, selection, page and length texts.
#include "canvas/TMyCAD.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "tests/canvas/CanvasBuilders.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace CanvasBuilders;

TEST(TMyCAD, Create_DefaultsAndLayer0)
{
    TMyCAD cad;
    EXPECT_EQ(cad.LayerCount(), 1);
    EXPECT_EQ(cad.Layers()[0].name, "Layer0");
    EXPECT_EQ(cad.CurrentLayer(), 0);
    EXPECT_EQ(cad.PageStyle(), A4);
    EXPECT_EQ(cad.Width(), 794);
    EXPECT_EQ(cad.Height(), 1123);
    EXPECT_EQ(cad.StreamVersionText(), "XP.h");
    EXPECT_EQ(cad.Version(), "XP.h.3");
    EXPECT_EQ(cad.UndoRedoSize(), 10);
    EXPECT_EQ(cad.BkBitmapMode(), Center);
    EXPECT_EQ(cad.ArrowLength(), 30);
    EXPECT_EQ(cad.PageFootAlignment(), taRightJustify);
    EXPECT_EQ(cad.GridOperation(), TGridObject {});
    EXPECT_EQ(cad.GridOperation().GridColor, 0xC0C0C0);
}

TEST(TMyCAD, AddShape_RuleLineAtZoom2_StoresHalfCoordinatesAndCountsIds)
{
    TMyCAD cad;
    cad.SetZoom(2.0);
    EXPECT_EQ(AddLine(cad, 10, 20, 30, 40, SpRuleLine), 0);
    const TMyShape* rule = cad.ShapeById(0);
    ASSERT_NE(dynamic_cast<const TMyRuleLine*>(rule), nullptr);
    EXPECT_EQ(rule->Nodes()[0], (TMyPoint { 5, 10 }));
    EXPECT_EQ(rule->Nodes()[1], (TMyPoint { 15, 20 }));
    EXPECT_EQ(rule->Font().size, 8);
    EXPECT_EQ(static_cast<const TMyRuleLine*>(rule)->ArrowStyle(), ADouble);
    EXPECT_EQ(AddLine(cad, 0, 0, 1, 1), 1);
}

TEST(TMyCAD, AddShape_PointCountsAndKinds)
{
    struct Case
    {
        TDrawTool tool;
        int points;
        bool accepted;
        const char* className;
        size_t nodes;
    };
    const Case cases[] = {
        { SpLine, 2, true, "TMyLine", 2 },
        { SpLine, 3, false, "", 0 },
        { SpRectangle, 3, false, "", 0 },
        { SpRectangle, 4, true, "TMyRectangle", 4 },
        { SpEllipse, 4, true, "TMyEllipse", 4 },
        { SpText, 4, true, "TMyText", 4 },
        { SpPolyLine, 1, false, "", 0 },
        { SpPolyLine, 5, true, "TMyPolyLine", 5 },
        { SpPolygon, 3, true, "TMyPolygon", 4 },
        { SpPolyBezier, 4, true, "TMyPolyBezier", 4 },
        { SpPolyBezier, 5, false, "", 0 },
        { SpPolyBezier, 7, true, "TMyPolyBezier", 7 },
        { SpImage, 4, false, "", 0 },
        { SpLinkPoint, 4, false, "", 0 },
        { SpSelecting, 2, false, "", 0 },
        { SpElliArc, 3, true, "TMyElliArc", 3 },
    };
    for (const Case& c : cases) {
        TMyCAD cad;
        std::vector<QPointF> points;
        for (int i = 0; i < c.points; ++i)
            points.push_back(QPointF(i * 10.0 + i * i, (i % 2) * 7.0 + i));
        const int id = cad.AddShape(c.tool, "t", 0.0f, points, "S");
        SCOPED_TRACE(int(c.tool));
        if (!c.accepted) {
            EXPECT_EQ(id, -1);
            EXPECT_EQ(cad.ShapeCount(), 0);
            continue;
        }
        ASSERT_EQ(id, 0);
        EXPECT_STREQ(cad.ShapeById(0)->ClassName(), c.className);
        EXPECT_EQ(cad.ShapeById(0)->Nodes().size(), c.nodes);
    }
}

TEST(TMyCAD, AddShape_PolygonClosesAndArcOnStraightPointsBecomesLine)
{
    TMyCAD cad;
    cad.AddShape(SpPolygon, {}, 0, { QPointF(0, 0), QPointF(10, 0), QPointF(5, 8) }, "P");
    const auto& nodes = cad.ShapeById(0)->Nodes();
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_EQ(nodes.back(), nodes.front());

    cad.AddShape(SpElliArc, {}, 0, { QPointF(0, 0), QPointF(10, 10), QPointF(20, 20) }, "A");
    const TMyShape* arc = cad.ShapeById(1);
    EXPECT_STREQ(arc->ClassName(), "TMyLine");
    EXPECT_EQ(arc->Nodes()[1], (TMyPoint { 20, 20 }));
}

TEST(TMyCAD, AddShape_SetsNameCaptionCentreSelectionAndEvent)
{
    TMyCAD cad;
    int events = 0;
    cad.OnShapeAdded = [&](TMyShape*& shape, int count) {
        ++events;
        EXPECT_EQ(count, 1);
        EXPECT_EQ(shape->Name(), "Rect");
    };
    AddRect(cad, 10, 20, 40, 30);
    const TMyShape* s = cad.ShapeById(0);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(s->Caption(), "Rect");
    EXPECT_EQ(s->Center(), (TMyPoint { 30, 35 }));
    EXPECT_EQ(s->CaptionPos(), (TMyPoint { 30, 60 }));
    EXPECT_EQ(cad.SelectedShape(), s);
    ASSERT_EQ(cad.UndoList().Entries().size(), 1u);
    EXPECT_EQ(cad.UndoList().Entries()[0].action, "ACT_ADD");
}

TEST(TMyCAD, AddShape_XYModeConvertsFromCallersCorner)
{
    TMyCAD cad;
    cad.ClientResized(200, 100);
    cad.SetXYMode(Mode2);
    AddLine(cad, 10, 20, 30, 40);
    EXPECT_EQ(cad.ShapeById(0)->Nodes()[0], (TMyPoint { 190, 80 }));
}

TEST(TMyCAD, AddShape_WithoutLayer_RefusesWithMessageInsteadOfEndingTheProgram)
{
    TestSupport::MessageCapture messages;
    TMyCAD cad;
    ASSERT_TRUE(cad.DeleteLayer(0));
    EXPECT_EQ(cad.CurrentLayer(), -1);
    EXPECT_EQ(AddLine(cad, 0, 0, 5, 5), -1);
    EXPECT_EQ(cad.ShapeCount(), 0);
    ASSERT_EQ(messages.Messages().size(), 1);
    EXPECT_EQ(messages.Messages()[0], "Error!There is no Layer!");
    EXPECT_GE(cad.AddLayer("Again", true), 0);
    EXPECT_EQ(AddLine(cad, 0, 0, 5, 5), 0);
}

TEST(TMyCAD, ShapeById_OutOfRangeAndDeletedIds)
{
    TMyCAD cad;
    AddLine(cad, 0, 0, 1, 1);
    AddLine(cad, 0, 0, 2, 2);
    EXPECT_EQ(cad.ShapeById(-1), nullptr);
    EXPECT_EQ(cad.ShapeById(2), nullptr);
    ASSERT_TRUE(cad.DeleteShapeById(0, false));
    EXPECT_EQ(cad.ShapeById(0), nullptr);
    EXPECT_EQ(cad.IndexOfShapeId(1), 0);
    EXPECT_EQ(AddLine(cad, 0, 0, 3, 3), 2); // ids are not reused
    cad.ClearShapes();
    EXPECT_EQ(AddLine(cad, 0, 0, 3, 3), 0);
}

TEST(TMyCAD, Delete_InsideAndAroundGroups_FixesEveryIndex)
{
    // 0 line, 1 rect, 2 line, 3 group(1, 2), 4 rect, 5 group(3, 4), 6 line
    TMyCAD cad;
    AddLine(cad, 0, 0, 10, 0);
    AddRect(cad, 0, 10, 10, 10);
    AddLine(cad, 0, 30, 10, 30);
    Group(cad, { 1, 2 });
    AddRect(cad, 20, 0, 10, 10);
    Group(cad, { 3, 4 });
    AddLine(cad, 50, 0, 60, 0);
    ASSERT_EQ(IndexFault(cad), QString());

    // A shape before the groups: every index moves down by one.
    ASSERT_TRUE(cad.DeleteShapeById(0, true));
    EXPECT_EQ(IndexFault(cad), QString());
    EXPECT_EQ(cad.ShapeById(5)->Children(), (std::vector<int> { 2, 3 }));
    EXPECT_EQ(cad.ShapeById(3)->Children(), (std::vector<int> { 0, 1 }));

    // A member inside the nested group: its group forgets it.
    ASSERT_TRUE(cad.DeleteShapeById(2, true));
    EXPECT_EQ(IndexFault(cad), QString());
    EXPECT_EQ(cad.ShapeById(3)->Children(), (std::vector<int> { 0 }));

    // The outer group takes both groups and their members; the last line remains.
    ASSERT_TRUE(cad.DeleteShapeById(5, true));
    EXPECT_EQ(IndexFault(cad), QString());
    ASSERT_EQ(cad.ShapeCount(), 1);
    EXPECT_EQ(cad.ShapeByIndex(0)->ShapeId(), 6);
    EXPECT_EQ(cad.SelectedCount(), 0);
}

TEST(TMyCAD, Delete_GroupWithLockedMember_KeepsMemberAsTopLevelShape)
{
    TMyCAD cad;
    AddRect(cad, 0, 0, 5, 5);
    AddRect(cad, 10, 0, 5, 5);
    Group(cad, { 0, 1 });
    cad.ShapeByIndex(1)->StoreLocked(true);
    ASSERT_TRUE(cad.DeleteShapeById(2, false));
    ASSERT_EQ(cad.ShapeCount(), 1);
    EXPECT_EQ(cad.ShapeByIndex(0)->ShapeId(), 1);
    EXPECT_EQ(cad.ShapeByIndex(0)->ParentGroup(), -1);
    EXPECT_EQ(IndexFault(cad), QString());
}

TEST(TMyCAD, Delete_LinkLineEndsAndLinksFollowRemovals)
{
    TMyCAD cad;
    AddRect(cad, 0, 0, 8, 8, SpRectangle); // 0
    auto* link = static_cast<TMyLinkLine*>(cad.AppendShape(std::make_unique<TMyLinkLine>(&cad))); // 1
    link->Nodes() = { TMyPoint { 0, 0 }, TMyPoint { 50, 50 } };
    AddRect(cad, 40, 40, 8, 8); // 2
    link->SetStart(0, 0);
    link->SetEnd(2, 1);
    cad.ShapeByIndex(0)->Links() = { 1 };
    cad.ShapeByIndex(2)->Links() = { 1 };

    ASSERT_TRUE(cad.DeleteShapeById(0, false));
    EXPECT_EQ(link->StartShapeIndex(), -1);
    EXPECT_EQ(link->StartLinkPointIndex(), -1);
    EXPECT_EQ(link->EndShapeIndex(), 1);
    EXPECT_EQ(link->EndLinkPointIndex(), 1);
    EXPECT_EQ(cad.ShapeByIndex(1)->Links(), (std::vector<int> { 0 }));

    ASSERT_TRUE(cad.DeleteShapeById(link->ShapeId(), false));
    EXPECT_TRUE(cad.ShapeByIndex(0)->Links().empty());
}

TEST(TMyCAD, DeleteSelectedShapes_LockedShapeStopsEverything)
{
    TMyCAD cad;
    AddLine(cad, 0, 0, 1, 1);
    AddLine(cad, 0, 0, 2, 2);
    cad.SelectShapeById(0, true);
    cad.SelectShapeById(1, false);
    cad.ShapeById(1)->SetLocked(true);
    EXPECT_FALSE(cad.DeleteSelectedShapes());
    EXPECT_EQ(cad.ShapeCount(), 2);
    EXPECT_FALSE(cad.DeleteShapeById(1, true));

    cad.ShapeById(1)->SetLocked(false);
    cad.UndoList().Clear();
    int deleted = 0;
    cad.OnShapeDeleted = [&](TMyShape*) { ++deleted; };
    EXPECT_TRUE(cad.DeleteSelectedShapes());
    EXPECT_EQ(cad.ShapeCount(), 0);
    EXPECT_EQ(deleted, 2);
    ASSERT_EQ(cad.UndoList().Entries().size(), 2u);
    EXPECT_EQ(cad.UndoList().StepCount(), 1);
}

TEST(TMyCAD, DeleteSelectedShapes_ManyShapes_KeepsIndexesAndIds)
{
    TMyCAD cad;
    for (int i = 0; i < 200; ++i)
        AddLine(cad, i, 0, i, 10);
    cad.ClearSelection();
    for (int id = 0; id < 200; id += 3)
        cad.SelectShapeById(id, false);
    ASSERT_TRUE(cad.DeleteSelectedShapes());
    EXPECT_EQ(cad.ShapeCount(), 200 - 67);
    EXPECT_EQ(IndexFault(cad), QString());
    EXPECT_EQ(cad.ShapeById(1)->ShapeIndex(), 0);
    EXPECT_EQ(cad.ShapeById(199)->ShapeIndex(), 132);
}

TEST(TMyCAD, Layers_AddDeleteAndCurrent)
{
    TMyCAD cad;
    std::vector<QString> added;
    cad.OnNewLayer = [&](int, const QString& name, bool) { added.push_back(name); };
    const int hair = cad.AddLayer("HairLayer", true);
    EXPECT_EQ(hair, 1);
    EXPECT_EQ(cad.AddLayer("HairLayer", true), -1);
    EXPECT_EQ(cad.CurrentLayer(), hair);
    EXPECT_EQ(added, (std::vector<QString> { "HairLayer" }));
    AddLine(cad, 0, 0, 1, 1);
    cad.SetCurrentLayer(0);
    AddLine(cad, 0, 0, 2, 2);
    EXPECT_EQ(cad.ShapesOfLayer(hair).size(), 1u);

    cad.ShapeById(0)->SetLocked(true); // deleting a layer unlocks its shapes
    EXPECT_TRUE(cad.DeleteLayer(hair));
    EXPECT_FALSE(cad.DeleteLayer(hair));
    EXPECT_EQ(cad.ShapeCount(), 1);
    EXPECT_EQ(cad.CurrentLayer(), 0);
    EXPECT_EQ(cad.AddLayer("Next", false), 2); // layer ids are not reused
    EXPECT_FALSE(cad.IsLayerVisible(2));
    cad.ShowLayer(2);
    EXPECT_TRUE(cad.IsLayerVisible(2));
    EXPECT_FALSE(cad.IsLayerVisible(99));

    cad.DeleteAllLayers();
    EXPECT_EQ(cad.LayerCount(), 0);
    EXPECT_EQ(cad.CurrentLayer(), -1);
    EXPECT_EQ(cad.ShapeCount(), 0);
    EXPECT_EQ(cad.AddLayer("Fresh", true), 0);
}

TEST(TMyCAD, Selection_GroupMemberSelectsOutermostGroup)
{
    TMyCAD cad;
    AddRect(cad, 0, 0, 5, 5);
    AddRect(cad, 10, 0, 5, 5);
    Group(cad, { 0, 1 });
    TMyShape* last = reinterpret_cast<TMyShape*>(1);
    TMyShape* selected = nullptr;
    cad.OnShapeSelected = [&](TMyShape* l, TMyShape* s) {
        last = l;
        selected = s;
    };
    cad.ClearSelection();
    EXPECT_TRUE(cad.SelectShapeById(0, true));
    EXPECT_EQ(last, nullptr);
    EXPECT_EQ(selected, cad.ShapeById(0));
    EXPECT_EQ(cad.SelectedShape(), cad.ShapeByIndex(2));
    cad.SelectShape(cad.ShapeByIndex(1));
    EXPECT_EQ(cad.SelectedCount(), 1);
    EXPECT_FALSE(cad.SelectShapeById(42, true));
    cad.DeselectShape(cad.ShapeByIndex(2));
    EXPECT_EQ(cad.IndexInSelection(cad.ShapeByIndex(2)), -1);
}

TEST(TMyCAD, Page_StylesOrientationAndCustomSizes)
{
    TMyCAD cad;
    cad.SetPageOrientation(poLandscape);
    EXPECT_EQ(cad.PageWidth(), 297);
    EXPECT_EQ(cad.PageHeight(), 210);
    cad.SetPageStyle(A3);
    EXPECT_EQ(cad.PageWidth(), 420);
    cad.SetPageWidth(100);
    EXPECT_EQ(cad.PageStyle(), CustomerPage);
    cad.SetPageOrientation(poPortrait);
    cad.SetPageWidth(148);
    cad.SetPageHeight(210);
    EXPECT_EQ(cad.PageStyle(), A5);
    cad.SetZoom(2.0);
    EXPECT_EQ(cad.Width(), 1119);
    cad.ClientResized(794, 1123);
    EXPECT_EQ(cad.PageWidth(), 105);
    EXPECT_EQ(cad.PageStyle(), CustomerPage);
}

TEST(TMyCAD, FormatDistance_UnitsAndRatio)
{
    TMyCAD cad;
    EXPECT_EQ(cad.FormatDistance(QPointF(0, 0), QPointF(100, 0)), "    26.46 mm");
    cad.SetTheUNIT(pixel);
    cad.SetRatio(0.5);
    EXPECT_EQ(cad.FormatDistance(QPointF(0, 0), QPointF(30, 40)), "    25.00 pixel(s)");
    cad.SetTheUNIT(inch);
    cad.SetRatio(1.0);
    cad.SetZoom(2.0);
    EXPECT_EQ(cad.FormatDistance(QPointF(0, 0), QPointF(192, 0)), "     1.00 in");
    cad.SetTheUNIT(cm);
    EXPECT_EQ(cad.FormatDistance(QPointF(0, 0), QPointF(0, 0.4)), "     0.00 cm");
}

TEST(TUndoList, SizeLimitsStepsAndZeroClears)
{
    TMyCAD cad;
    cad.SetUndoRedoSize(2);
    AddLine(cad, 0, 0, 1, 1);
    AddLine(cad, 0, 0, 2, 2);
    AddLine(cad, 0, 0, 3, 3);
    const auto& entries = cad.UndoList().Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].step, 0);
    EXPECT_EQ(entries[0].shape->ShapeId(), 1);
    EXPECT_EQ(entries[1].shape->ShapeId(), 2);
    EXPECT_TRUE(entries[1].shape->Links().empty());
    cad.SetUndoRedoSize(0);
    EXPECT_TRUE(cad.UndoList().Entries().empty());
    AddLine(cad, 0, 0, 4, 4);
    EXPECT_TRUE(cad.UndoList().Entries().empty());
}

namespace {

class RecordingHost : public TMyCADHost
{
public:
    double PixelsPerInch() const override { return 192.0; }
    void RequestRepaint() override { ++repaints; }
    void ClientSizeChanged(int width, int height) override { size = QSize(width, height); }
    int repaints = 0;
    QSize size;
};

} // namespace

TEST(TMyCAD, Host_ResolutionSizeAndRepaints)
{
    RecordingHost host;
    TMyCAD cad(&host);
    EXPECT_EQ(cad.Width(), 1587); // A4 at 192 pixels per inch
    EXPECT_EQ(host.size, QSize(1587, 2245));
    cad.SetPageOrientation(poLandscape);
    EXPECT_EQ(host.size, QSize(2245, 1587));
    const int before = host.repaints;
    AddLine(cad, 0, 0, 10, 0);
    EXPECT_GT(host.repaints, before);
    EXPECT_EQ(cad.FormatDistance(QPointF(0, 0), QPointF(192, 0)), "    25.40 mm");
}

TEST(TMyCAD, ZOrder_SwapBringToFrontSendToBackKeepIndexes)
{
    // 0 line, 1 rect, 2 rect, 3 group(1, 2), 4 line, 5 line
    TMyCAD cad;
    AddLine(cad, 0, 0, 1, 0);
    AddRect(cad, 0, 0, 5, 5);
    AddRect(cad, 10, 0, 5, 5);
    Group(cad, { 1, 2 });
    AddLine(cad, 0, 0, 2, 0);
    AddLine(cad, 0, 0, 3, 0);
    auto ids = [&] {
        std::vector<int> order;
        for (int i = 0; i < cad.ShapeCount(); ++i)
            order.push_back(cad.ShapeByIndex(i)->ShapeId());
        return order;
    };
    cad.BringToFront(cad.ShapeById(0), true);
    EXPECT_EQ(ids(), (std::vector<int> { 3, 1, 2, 4, 5, 0 }));
    EXPECT_EQ(IndexFault(cad), QString());
    EXPECT_EQ(cad.UndoList().Entries().back().action, "ACT_BRINGTOFRONT");
    cad.SendToBack(cad.ShapeById(0), true);
    EXPECT_EQ(ids(), (std::vector<int> { 0, 1, 2, 3, 4, 5 }));
    EXPECT_EQ(IndexFault(cad), QString());
    cad.SwapShapes(cad.ShapeById(3), cad.ShapeById(5));
    EXPECT_EQ(ids(), (std::vector<int> { 0, 1, 2, 5, 4, 3 }));
    EXPECT_EQ(cad.ShapeById(1)->ParentGroup(), 5);
    EXPECT_EQ(IndexFault(cad), QString());
    EXPECT_EQ(cad.ShapeById(0)->ShapeIndex(), 0);
}
