// Editing a canvas through real Qt mouse events on its widget.
#include "tests/canvas/CanvasBuilders.h"

#include "canvas/widgets/CanvasView.h"
#include "canvas/widgets/TFormStringListEditor.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void DoubleClick(QWidget& widget, QPoint at)
{
    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, at);
    QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(at), widget.mapToGlobal(QPointF(at)), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &second);
    QTest::mouseRelease(&widget, Qt::LeftButton, Qt::NoModifier, at);
}

} // namespace

TEST(CanvasViewMouse, DragsAShapeAndShowsItsTrace)
{
    TMyCAD cad;
    cad.SetSnap(false);
    CanvasView view(cad);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    CanvasBuilders::AddRect(cad, 50, 50, 60, 60);
    cad.ClearSelection();

    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, QPoint(80, 80));
    QTest::mouseMove(&view, QPoint(100, 90));
    QTest::mouseMove(&view, QPoint(120, 110));
    EXPECT_FALSE(cad.TraceOutlines().empty());
    const QImage during = view.grab().toImage();
    int dark = 0; // dots of the trace's top edge
    for (int x = 90; x <= 150; ++x)
        dark += qGray(during.pixel(x, 80)) < 128 ? 1 : 0;
    EXPECT_GT(dark, 10);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, QPoint(120, 110));

    const TMyShape* box = cad.ShapeByIndex(0);
    EXPECT_EQ(box->Left(), 90);
    EXPECT_EQ(box->Top(), 80);
    EXPECT_EQ(cad.SelectedShape(), box);
    EXPECT_TRUE(cad.TraceOutlines().empty());
    ASSERT_TRUE(cad.Undo());
    EXPECT_EQ(box->Left(), 50);
}

TEST(CanvasViewMouse, DrawsAPolyLineEndedByADoubleClick)
{
    TMyCAD cad;
    cad.SetSnap(false);
    CanvasView view(cad);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    cad.SetShapeTool(SpPolyLine);
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(130, 30));
    DoubleClick(view, QPoint(130, 130));
    ASSERT_EQ(cad.ShapeCount(), 1);
    EXPECT_EQ(cad.ShapeByIndex(0)->Nodes().size(), 3u);
    EXPECT_EQ(cad.ShapeTool(), SpSelecting);
}

TEST(CanvasViewMouse, HoverSetsTheResizeCursorOverAHandle)
{
    TMyCAD cad;
    CanvasView view(cad);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    CanvasBuilders::AddRect(cad, 50, 50, 60, 60);
    QTest::mouseMove(&view, QPoint(110, 80));
    EXPECT_EQ(view.cursor().shape(), Qt::SizeHorCursor);
    QTest::mouseMove(&view, QPoint(80, 80));
    EXPECT_EQ(view.cursor().shape(), Qt::CrossCursor);
}

TEST(StringListEditor, CountsLinesAndClears)
{
    EXPECT_EQ(TFormStringListEditor::LineCountText(0), "0 lines");
    EXPECT_EQ(TFormStringListEditor::LineCountText(1), "1 line");
    EXPECT_EQ(TFormStringListEditor::LineCountText(2), "2 lines");
    TFormStringListEditor editor;
    EXPECT_EQ(editor.windowTitle(), "String List Editor");
    editor.SetLines({ "Patient", "Datum" });
    EXPECT_EQ(editor.Lines(), (QStringList { "Patient", "Datum" }));
    auto* memo = editor.findChild<QPlainTextEdit*>("Memo");
    ASSERT_NE(memo, nullptr);
    memo->setPlainText("one\n");
    EXPECT_EQ(editor.Lines(), QStringList { "one" });
    QPushButton* clear = nullptr;
    for (auto* button : editor.findChildren<QPushButton*>())
        if (button->text() == "&Clear")
            clear = button;
    ASSERT_NE(clear, nullptr);
    clear->click();
    EXPECT_TRUE(editor.Lines().isEmpty());
}

TEST(CanvasViewMouse, HeldButtonKeepsTheMouseInsideTheControl)
{
    TMyCAD cad;
    CanvasView view(cad);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, QPoint(60, 60));
    QTest::mouseMove(&view, QPoint(-30, -40));
    EXPECT_EQ(cad.TraceBand(), QRectF(QPointF(0, 0), QPointF(60, 60)));
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, QPoint(-30, -40));
    EXPECT_TRUE(cad.TraceBand().isEmpty());
}
