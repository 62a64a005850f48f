// Damaged group structures in canvas files (cycles, absurd nesting) and listeners
// that change the shape list while the canvas reports pasted shapes.
#include "tests/canvas/CanvasBuilders.h"
#include "tests/canvas/GuiEnvironment.h"

#include "canvas/TMyCAD.h"
#include "canvas/TMyRectangle.h"

#include <QBuffer>
#include <QPainter>

#include <gtest/gtest.h>

using namespace CanvasBuilders;

namespace {

QByteArray Save(TMyCAD& cad)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(cad.SaveToStream(buffer));
    return buffer.data();
}

bool Load(TMyCAD& cad, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return cad.LoadFromStream(buffer);
}

// The number of groups above the shape; -1 when its parents form a cycle.
int Depth(const TMyCAD& cad, const TMyShape* shape)
{
    int depth = 0;
    for (const TMyShape* s = shape; s->ParentGroup() >= 0; s = cad.ShapeByIndex(s->ParentGroup()))
        if (++depth > cad.ShapeCount())
            return -1;
    return depth;
}

// Everything that walks the members: pen, brush, font and lock of some shapes and
// the last one (the outermost group of a nesting), hit tests and a paint.
void Exercise(TMyCAD& cad)
{
    TMyPen pen;
    pen.width = 3;
    const int step = std::max(1, cad.ShapeCount() / 20);
    for (int i = cad.ShapeCount() - 1; i >= 0; i -= step) {
        TMyShape* shape = cad.ShapeByIndex(i);
        shape->SetPen(pen);
        shape->SetBrush(shape->Brush());
        shape->SetFont(shape->Font());
        shape->SetLocked(false);
    }
    cad.ClientResized(200, 200);
    QImage image(200, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    cad.Paint(painter, image.rect());
    for (int i = 0; i < cad.ShapeCount(); i += std::max(1, cad.ShapeCount() / 50))
        cad.HitShape(cad.ShapeByIndex(i), QPointF(15, 15));
}

} // namespace

TEST(GroupTree, CyclesAndSharedMembers_RepairedToATreeAndReported)
{
    TMyCAD cad;
    for (int i = 0; i < 4; ++i)
        AddRect(cad, 10 + 20 * i, 10, 10, 10);
    Group(cad, { 0, 1 }); // 4
    Group(cad, { 2, 3 }); // 5
    // 4 and 5 hold each other, 5 also holds 0 (a member of 4), 3 holds itself.
    cad.ShapeByIndex(4)->Children().push_back(5);
    cad.ShapeByIndex(5)->SetParentGroup(4);
    cad.ShapeByIndex(5)->Children().push_back(4);
    cad.ShapeByIndex(4)->SetParentGroup(5);
    cad.ShapeByIndex(5)->Children().push_back(0);
    cad.ShapeByIndex(3)->Children().push_back(3);
    const QByteArray bytes = Save(cad);

    TMyCAD loaded;
    EXPECT_TRUE(Load(loaded, bytes));
    EXPECT_FALSE(loaded.LastError().isEmpty());
    ASSERT_EQ(loaded.ShapeCount(), 6);
    EXPECT_EQ(IndexFault(loaded), QString());
    for (int i = 0; i < loaded.ShapeCount(); ++i)
        EXPECT_GE(Depth(loaded, loaded.ShapeByIndex(i)), 0) << i;
    EXPECT_EQ(loaded.ShapeByIndex(0)->ParentGroup(), 4); // the first group keeps its member
    Exercise(loaded);

    // A sound file loads without a word.
    TMyCAD sound;
    for (int i = 0; i < 3; ++i)
        AddRect(sound, 10 + 20 * i, 10, 10, 10);
    Group(sound, { Group(sound, { 0, 1 })->ShapeIndex(), 2 });
    TMyCAD reloaded;
    EXPECT_TRUE(Load(reloaded, Save(sound)));
    EXPECT_EQ(reloaded.LastError(), QString());
    EXPECT_EQ(Depth(reloaded, reloaded.ShapeByIndex(0)), 2);
}

TEST(GroupTree, DeepNesting_BoundedAtLoadAndWalkedWithoutRecursion)
{
    constexpr int kLevels = 3000;
    TMyCAD cad;
    AddRect(cad, 10, 10, 10, 10);
    for (int level = 0; level < kLevels; ++level) {
        TMyShape* group = cad.AppendShape(std::make_unique<TMyGroup>(&cad));
        group->Nodes() = cad.ShapeByIndex(level)->Nodes();
        group->Children() = { level };
        cad.ShapeByIndex(level)->SetParentGroup(group->ShapeIndex());
    }
    const QByteArray bytes = Save(cad);

    TMyCAD loaded;
    EXPECT_TRUE(Load(loaded, bytes));
    EXPECT_FALSE(loaded.LastError().isEmpty());
    ASSERT_EQ(loaded.ShapeCount(), kLevels + 1);
    EXPECT_EQ(IndexFault(loaded), QString());
    int deepest = 0;
    for (int i = 0; i < loaded.ShapeCount(); ++i)
        deepest = std::max(deepest, Depth(loaded, loaded.ShapeByIndex(i)));
    EXPECT_EQ(deepest, TMyCAD::kMaxGroupDepth);
    Exercise(loaded);

    // Groups nested at run time beyond the bound are still walked without recursion.
    Exercise(cad);
}

TEST(GroupTree, PasteWhileTheListenerDeletesTheNewShape_NothingDanglingIsKept)
{
    TMyCAD cad;
    AddRect(cad, 10, 10, 10, 10);
    AddRect(cad, 40, 10, 10, 10);
    cad.SelectShapeById(0, true);
    cad.SelectShapeById(1, false);
    cad.CopyToClipboard();
    cad.UndoList().Clear();
    // As the label tool does: the first pasted shape only marks a place and goes.
    int reports = 0;
    cad.OnShapeAdded = [&](TMyShape*& shape, int) {
        if (reports++ == 0)
            cad.DeleteShapeById(shape->ShapeId(), false);
    };
    cad.PasteFromClipboard();
    EXPECT_EQ(reports, 2);
    ASSERT_EQ(cad.ShapeCount(), 3);
    EXPECT_EQ(IndexFault(cad), QString());
    const std::vector<TMyShape*> selection = cad.GetSelection();
    ASSERT_EQ(selection.size(), 1u);
    EXPECT_EQ(selection.front(), cad.ShapeByIndex(2));
    ASSERT_EQ(cad.UndoList().Entries().size(), 1u);
    EXPECT_EQ(cad.UndoList().Entries()[0].shape->ShapeId(), cad.ShapeByIndex(2)->ShapeId());
    cad.Undo();
    EXPECT_EQ(cad.ShapeCount(), 2);
}
