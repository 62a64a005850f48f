// The copy buffer with paste, and the DXF exports.
#include "canvas/DxfExport.h"
#include "canvas/TMyCAD.h"
#include "canvas/TMyElliArc.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "tests/canvas/CanvasBuilders.h"
#include "tests/support/TestSupport.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>

using namespace CanvasBuilders;

namespace {

// The group codes and values of a DXF text, as pairs.
std::vector<std::pair<QString, QString>> Pairs(const QByteArray& text)
{
    const QStringList lines = QString::fromLatin1(text).split(QStringLiteral("\r\n"));
    std::vector<std::pair<QString, QString>> pairs;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
        pairs.emplace_back(lines[i], lines[i + 1]);
    return pairs;
}

QByteArray Dxf(const TMyCAD& cad, bool outlined = false)
{
    QByteArray text;
    QString error;
    EXPECT_TRUE(DxfExport::ToText(cad, outlined, text, &error)) << error.toStdString();
    return text;
}

int Count(const std::vector<std::pair<QString, QString>>& pairs, const char* entity)
{
    return static_cast<int>(
        std::count(pairs.begin(), pairs.end(), std::make_pair(QStringLiteral("0"), QString::fromLatin1(entity))));
}

} // namespace

TEST(Clipboard, PasteRuleLine_MovedRenumberedAndRecorded)
{
    TMyCAD cad;
    AddLine(cad, 10, 10, 50, 10, SpRuleLine);
    auto* rule = static_cast<TMyRuleLine*>(cad.ShapeByIndex(0));
    rule->SetShowUserInfo(true);
    rule->SetTickStyle(tsNone);
    rule->SetUserInfo("u");
    cad.SelectShapeById(0, true);
    cad.CopyToClipboard();
    cad.UndoList().Clear();
    int added = 0;
    cad.OnShapeAdded = [&](TMyShape*&, int) { ++added; };
    cad.PasteFromClipboard();
    ASSERT_EQ(cad.ShapeCount(), 2);
    const auto* pasted = dynamic_cast<const TMyRuleLine*>(cad.ShapeByIndex(1));
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->ShapeId(), 1);
    EXPECT_EQ(pasted->Name(), "Shape1");
    EXPECT_EQ(pasted->Nodes()[0], (TMyPoint { 14, 14 }));
    EXPECT_EQ(pasted->UserInfo(), "u");
    EXPECT_FALSE(pasted->ShowUserInfo()); // not carried by Assign
    EXPECT_EQ(pasted->TickStyle(), tsLine);
    EXPECT_EQ(added, 1);
    EXPECT_EQ(cad.SelectedShape(), pasted);
    ASSERT_EQ(cad.UndoList().Entries().size(), 1u);
    EXPECT_EQ(cad.UndoList().Entries()[0].action, "ACT_ADD");

    cad.PasteFromClipboard(); // again offset by 4 from the copied shape
    EXPECT_EQ(cad.ShapeByIndex(2)->Nodes()[0], (TMyPoint { 14, 14 }));
    EXPECT_EQ(cad.ShapeByIndex(2)->ShapeId(), 2);
}

TEST(Clipboard, PasteGroup_RenumbersMembersAndDropsOutsideLinks)
{
    TMyCAD cad;
    cad.SetZoom(2.0);
    AddRect(cad, 0, 0, 10, 10); // 0
    AddLine(cad, 20, 0, 30, 0); // 1
    AddRect(cad, 40, 0, 10, 10); // 2
    Group(cad, { 0, 2 }); // 3
    cad.ShapeByIndex(0)->Links() = { 1 }; // a link to a shape that is not copied
    cad.SelectShapeById(0, true); // selects the group
    cad.CopyToClipboard();
    EXPECT_EQ(cad.CopyBufferCount(), 3);
    cad.PasteFromClipboard();
    ASSERT_EQ(cad.ShapeCount(), 7);
    EXPECT_EQ(IndexFault(cad), QString());
    // Buffer: group(3), rect(0), rect(2) -> appended backwards: rect(2)=4, rect(0)=5, group=6.
    const TMyShape* group = cad.ShapeByIndex(6);
    EXPECT_STREQ(group->ClassName(), "TMyGroup");
    EXPECT_EQ(group->Children(), (std::vector<int> { 5, 4 }));
    EXPECT_EQ(cad.ShapeByIndex(5)->ParentGroup(), 6);
    EXPECT_TRUE(cad.ShapeByIndex(5)->Links().empty());
    EXPECT_EQ(cad.ShapeByIndex(5)->Nodes()[0], (TMyPoint { 4, 4 })); // 4 logical units at any zoom
    EXPECT_EQ(cad.SelectedShape(), group);
    EXPECT_EQ(cad.UndoList().Entries().back().shape->ShapeId(), group->ShapeId());
}

TEST(Clipboard, EmptyBufferOrNoSelection_ChangesNothing)
{
    TMyCAD cad;
    AddLine(cad, 0, 0, 1, 1);
    cad.ClearSelection();
    cad.CopyToClipboard();
    EXPECT_EQ(cad.CopyBufferCount(), 0);
    cad.SelectShapeById(0, true);
    cad.PasteFromClipboard();
    EXPECT_EQ(cad.ShapeCount(), 1);
    EXPECT_EQ(cad.SelectedCount(), 0);
}

TEST(Dxf, Line_CoordinatesInMillimetresWithYUp)
{
    TMyCAD cad;
    cad.ClientResized(200, 100);
    AddLine(cad, 0, 0, 96, 0);
    const auto pairs = Pairs(Dxf(cad));
    const std::vector<std::pair<QString, QString>> expected = { { "0", "SECTION" }, { "2", "ENTITIES" },
        { "0", "LINE" }, { "5", "20" }, { "8", "0" }, { "10", "0" }, { "20", "26.4583333333333" }, { "30", "0.0" },
        { "11", "25.4" }, { "21", "26.4583333333333" }, { "31", "0.0" }, { "0", "ENDSEC" }, { "0", "EOF" } };
    EXPECT_EQ(pairs, expected);
}

TEST(Dxf, EntitiesByClass)
{
    TMyCAD cad;
    cad.ClientResized(400, 400);
    AddRect(cad, 0, 0, 40, 20); // POLYLINE + 4 VERTEX
    AddRect(cad, 0, 0, 40, 40, SpEllipse); // CIRCLE
    AddRect(cad, 0, 0, 40, 20, SpEllipse); // POLYLINE + 73 VERTEX
    cad.AddShape(SpPolyLine, {}, 0, { QPointF(0, 0), QPointF(5, 0), QPointF(5, 5) }, "PL"); // 2 LINE
    AddLine(cad, 0, 0, 10, 10, SpRuleLine); // nothing
    cad.AddShape(SpText, "Hallo", 0, { QPointF(0, 0), QPointF(40, 0), QPointF(40, 12), QPointF(0, 12) }, "T"); // TEXT
    cad.AddShape(SpElliArc, {}, 0, { QPointF(0, 10), QPointF(10, 0), QPointF(21, 11) }, "A"); // ARC
    cad.AddShape(SpPolyBezier, {}, 0, { QPointF(0, 0), QPointF(10, 0), QPointF(20, 10), QPointF(30, 30) }, "B");
    auto* linkLine = cad.AppendShape(std::make_unique<TMyLineLinkLine>(&cad)); // 2 CIRCLE
    linkLine->Nodes() = { TMyPoint { 0, 0 }, TMyPoint { 8, 0 }, TMyPoint { 8, 8 }, TMyPoint { 0, 8 } };
    const auto pairs = Pairs(Dxf(cad));
    EXPECT_EQ(Count(pairs, "POLYLINE"), 3);
    EXPECT_EQ(Count(pairs, "SEQEND"), 3);
    EXPECT_EQ(Count(pairs, "CIRCLE"), 3);
    EXPECT_EQ(Count(pairs, "LINE"), 2);
    EXPECT_EQ(Count(pairs, "TEXT"), 1);
    EXPECT_EQ(Count(pairs, "ARC"), 1);
    // Curve points: K = (20, 20), M = round(sqrt(sqrt(800) * 100)) = 53 -> 54 vertices.
    EXPECT_EQ(Count(pairs, "VERTEX"), 4 + 73 + 54);
    const auto text
        = std::find(pairs.begin(), pairs.end(), std::make_pair(QStringLiteral("1"), QStringLiteral("Hallo")));
    EXPECT_NE(text, pairs.end());
    // Handles count up through the whole file.
    int handle = 20;
    for (const auto& [code, value] : pairs)
        if (code == "5") {
            EXPECT_EQ(value.toInt(), handle++);
        }
}

TEST(Dxf, TextRotation_InDegreesCounterClockwise)
{
    // The canvas keeps radians, clockwise on screen; DXF readers expect degrees,
    // counter-clockwise with y up. A quarter turn on screen is 270 degrees there.
    TMyCAD cad;
    cad.ClientResized(400, 400);
    const int id
        = cad.AddShape(SpText, "Hallo", 0, { QPointF(0, 0), QPointF(40, 0), QPointF(40, 12), QPointF(0, 12) }, "T");
    cad.ShapeById(id)->StoreAngle(float(M_PI / 2));
    const auto pairs = Pairs(Dxf(cad));
    const auto text
        = std::find(pairs.begin(), pairs.end(), std::make_pair(QStringLiteral("0"), QStringLiteral("TEXT")));
    ASSERT_NE(text, pairs.end());
    const auto rotation = std::find_if(text, pairs.end(), [](const auto& pair) { return pair.first == "50"; });
    ASSERT_NE(rotation, pairs.end());
    EXPECT_NEAR(rotation->second.toDouble(), 270.0, 1e-4);
}

TEST(Dxf, OutlinedText_ClosedPolylinesOfGlyphs)
{
    // The font engine needs a GUI application object for the length of the test.
    int argc = 1;
    char name[] = "canvas_tests";
    char* argv[] = { name, nullptr };
    std::unique_ptr<QGuiApplication> app;
    if (QCoreApplication::instance() == nullptr)
        app = std::make_unique<QGuiApplication>(argc, argv);
    TMyCAD cad;
    cad.AddShape(SpText, "Ob", 0, { QPointF(0, 0), QPointF(40, 0), QPointF(40, 20), QPointF(0, 20) }, "T");
    const auto pairs = Pairs(Dxf(cad, true));
    EXPECT_EQ(Count(pairs, "TEXT"), 0);
    EXPECT_GE(Count(pairs, "POLYLINE"), 3); // the outer and inner outline of "O", at least one of "b"
    EXPECT_GT(Count(pairs, "VERTEX"), 20);
    EXPECT_EQ(Count(pairs, "POLYLINE"), Count(pairs, "SEQEND"));

    TestSupport::TempDir dir;
    EXPECT_TRUE(cad.ExportDxfOutlined(dir.Path("t.dxf1")));
    EXPECT_TRUE(cad.ExportDxf(dir.Path("t.dxf")));
    EXPECT_FALSE(cad.ExportDxf(dir.Path("missing/t.dxf")));
}
