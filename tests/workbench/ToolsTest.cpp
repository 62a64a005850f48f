#include "tests/workbench/WorkbenchFixture.h"

#include "canvas/TMyRectangle.h"

#include <cmath>

namespace {

class ToolsTest : public WorkbenchTest
{
protected:
    // A label placeholder as the link-point tool leaves it after a click at (x, y).
    void ClickLabelTool(double x, double y)
    {
        auto point = std::make_unique<TMyLinkPoint>(&Cad());
        point->AddNode(QPointF(x, y));
        TMyShape* added = Cad().AppendShape(std::move(point));
        Cad().OnShapeAdded(added, Cad().ShapeCount());
    }
};

} // namespace

TEST_F(ToolsTest, LineButton_ReturnsToSelectingUnlessCtrlMultiOrSetting)
{
    wb.ToolButtonClicked(ToolButton::Line);
    EXPECT_EQ(Cad().ShapeTool(), SpRuleLine);
    EXPECT_TRUE(Cad().ReturnToSelecting());
    EXPECT_EQ(St().ui.cursor, CanvasCursor::MeasureAdd);
    Hair(0, 0, 10, 10);
    EXPECT_EQ(St().ui.down, ToolButton::Select); // the canvas went back to selecting

    wb.ToolButtonClicked(ToolButton::Line, true);
    EXPECT_FALSE(Cad().ReturnToSelecting());
    Hair(0, 20, 10, 30);
    EXPECT_EQ(St().ui.down, ToolButton::Line);

    wb.ToolButtonClicked(ToolButton::MultSpline);
    EXPECT_FALSE(Cad().ReturnToSelecting());
    EXPECT_EQ(Cad().ShapeTool(), SpPolyBezier);

    St().AlwaysKeepSelecton = true;
    wb.ToolButtonClicked(ToolButton::FollicularUnit);
    EXPECT_FALSE(Cad().ReturnToSelecting());
    EXPECT_EQ(Cad().ShapeTool(), SpEllipse);

    wb.ToolButtonClicked(ToolButton::Label);
    EXPECT_EQ(Cad().ShapeTool(), SpLinkPoint);
    EXPECT_EQ(St().ToolMode, ToolModeLabelPending);

    wb.ToolButtonClicked(ToolButton::Select);
    EXPECT_EQ(Cad().ShapeTool(), SpSelecting);
    EXPECT_EQ(St().ToolMode, ToolModeMeasure);
    EXPECT_EQ(St().ui.cursor, CanvasCursor::Measure);
}

TEST_F(ToolsTest, PenWidths_FollowThicknessAndZoom)
{
    Picture(1000, 1000);
    const int full = Hair(0, 0, 100, 0, 500);
    EXPECT_EQ(Cad().ShapeById(full)->Pen().width, 5);
    // A follicular unit (thickness 1) is never drawn thinner than the minimum mark width.
    const int unit = Ellipse(10, 10, 30, 20);
    EXPECT_EQ(Cad().ShapeById(unit)->Pen().width, Workbench::kMinimumMarkWidth);
    EXPECT_EQ(Cad().ShapeById(unit)->UserData().GetValue("Thickness"), "1");

    // Zoom 10^-0.3 is just above 0.5: 500 hundredths become trunc(2.505) = 2 pixels.
    wb.SetZoomSlider(-30, {});
    EXPECT_EQ(Cad().ShapeById(full)->Pen().width, 2);
    const int half = Hair(0, 50, 100, 50, 500);
    EXPECT_EQ(Cad().ShapeById(half)->Pen().width, 2);
    EXPECT_EQ(Cad().ShapeById(unit)->Pen().width, Workbench::kMinimumMarkWidth);
    // At 24 % a 5-pixel hair would be 1 pixel wide: it keeps the minimum.
    wb.SetZoomSlider(-62, {});
    EXPECT_EQ(Cad().ShapeById(full)->Pen().width, Workbench::kMinimumMarkWidth);

    // A pasted hair keeps its own thickness and pen.
    SetSlider(1200);
    Cad().SelectShapeById(full, true);
    SetSlider(300);
    wb.ToolButtonClicked(ToolButton::Select);
    Cad().SelectShapeById(full, true);
    wb.CopyCommand();
    wb.PasteCommand();
    TMyShape* pasted = Cad().ShapeByIndex(Cad().ShapeCount() - 1);
    EXPECT_EQ(pasted->UserData().GetValue("Thickness"), "500");
    EXPECT_EQ(pasted->Pen().width, 2);
    EXPECT_EQ(wb.Tree().Count(), 4);
}

TEST_F(ToolsTest, ZoomSlider_LimitsWheelAndCentreKeepingScroll)
{
    Picture(2000, 1500);
    Workbench::ScrollPosition scroll = wb.SetZoomSlider(-80, {});
    EXPECT_NEAR(St().Zoom, 0.158489, 1e-6);
    EXPECT_EQ(St().ui.zoomHint, "Zoom: 15.85%");
    EXPECT_EQ(wb.CanvasClientWidth(), 316);
    EXPECT_EQ(Cad().Zoom(), St().Zoom);

    wb.SetZoomSlider(0, {});
    // One notch forward (+120) zooms out by 10 steps.
    wb.MouseWheel(120, {});
    EXPECT_EQ(St().ui.zoomPosition, -10);
    EXPECT_EQ(St().ui.statusZoom, "Zoom: 79.43%");
    wb.SetZoomSlider(500, {});
    EXPECT_EQ(St().ui.zoomPosition, 80);

    // The image point at the centre of an 800 x 600 view stays at its centre.
    wb.SetZoomSlider(0, {});
    scroll = wb.SetZoomSlider(30, { 800, 600, 100, 50 });
    const double zoom = std::pow(10.0, 0.3);
    EXPECT_EQ(scroll.horizontal, int(500 * zoom - 400));
    EXPECT_EQ(scroll.vertical, int(350 * zoom - 300));
    // Ruler scale at zoom ~2 in pixels: trunc(199.5).
    EXPECT_EQ(wb.Scale().Rulers().scale, 199);
}

TEST_F(ToolsTest, ThicknessSlider_ChangesSelectedHairsButNeverBarBorderOrEllipse)
{
    Picture(1000, 1000);
    Calibrate("152", "1", "mm");
    wb.SetupEvaluatedField(500, 500, 400);
    const int hair = Hair(100, 100, 252, 100, 500);
    const int unit = Ellipse(300, 300, 40, 30);
    Cad().ClearSelection();
    Cad().SelectShape(Cad().ShapeById(St().ScaleBarId));
    Cad().SelectShape(Cad().ShapeById(hair));
    Cad().SelectShape(Cad().ShapeById(unit));
    wb.SetThicknessSlider(700);
    EXPECT_EQ(Cad().ShapeById(hair)->UserData().GetValue("Thickness"), "700");
    EXPECT_EQ(Cad().ShapeById(hair)->Pen().width, 7);
    EXPECT_EQ(Cad().ShapeById(St().ScaleBarId)->UserData().GetValue("Thickness"), "500");
    EXPECT_EQ(Cad().ShapeById(unit)->UserData().GetValue("Thickness"), "1");
    EXPECT_EQ(Cell(hair, 1, 1), "46"); // recomputed at once for a multiple selection

    // A single selected hair is re-evaluated by the refresh timer.
    Cad().ClearSelection();
    Cad().SelectShape(Cad().ShapeById(hair));
    wb.SetThicknessSlider(500);
    EXPECT_TRUE(wb.RefreshPending());
    EXPECT_EQ(St().RefreshShapeId, hair);
    wb.RefreshTimerFired();
    EXPECT_EQ(Cell(hair, 1, 1), "33");
}

TEST_F(ToolsTest, Selection_SliderFollowsShapeWithoutOverwritingOthers)
{
    Picture(1000, 1000);
    const int a = Hair(0, 0, 100, 0, 300);
    const int b = Hair(0, 50, 100, 50, 900);
    Cad().SelectShapeById(a, true);
    EXPECT_EQ(St().ui.thickness, 300);
    EXPECT_TRUE(St().ui.thicknessEnabled);
    EXPECT_TRUE(wb.Tree().At(wb.Tree().FindTop(a)).selected);
    EXPECT_FALSE(wb.Tree().At(wb.Tree().FindTop(b)).selected);

    // Adding b to the selection moves the slider to 900 but leaves a at 300.
    Cad().SelectShapeById(b, false);
    EXPECT_EQ(St().ui.thickness, 900);
    EXPECT_EQ(Cad().ShapeById(a)->UserData().GetValue("Thickness"), "300");
    EXPECT_EQ(wb.Tree().SelectedCount(), 2);

    // Focusing a tree node selects its shape alone.
    wb.TreeNodeFocused(wb.Tree().FindTop(a));
    EXPECT_EQ(Cad().SelectedShape(), Cad().ShapeById(a));
    EXPECT_EQ(St().ui.thickness, 300);
    EXPECT_EQ(wb.Tree().SelectedCount(), 1);

    // A shape whose thickness is no number puts the slider at 2.
    Cad().ShapeById(b)->UserData().SetValue("Thickness", "x");
    Cad().SelectShapeById(b, true);
    EXPECT_EQ(St().ui.thickness, 2);
}

TEST_F(ToolsTest, Border_SelectionIsClearedByTheRefreshAndSwitchesHideOnlyItsLayer)
{
    Picture(1000, 1000);
    const int early = Hair(0, 0, 100, 0);
    wb.SetShowBorder(false); // no border yet: the hairs on the first layer stay visible
    EXPECT_TRUE(Cad().IsLayerVisible(Cad().ShapeById(early)->LayerId()));
    wb.SetShowBorder(true);

    wb.SetupEvaluatedField(500, 500, 400);
    Cad().SelectShapeById(St().BorderId, true);
    ASSERT_TRUE(wb.RefreshPending());
    wb.RefreshTimerFired();
    EXPECT_EQ(Cad().SelectedCount(), 0);

    wb.SetShowBorder(false);
    EXPECT_FALSE(Cad().IsLayerVisible(St().BorderLayerId));
    wb.SetShowHairs(false);
    EXPECT_FALSE(Cad().IsLayerVisible(St().HairLayerId));
    Hair(0, 100, 100, 100); // a new shape shows the hairs again
    EXPECT_TRUE(Cad().IsLayerVisible(St().HairLayerId));
    EXPECT_TRUE(St().ui.showHairs);
    wb.SetShowGrid(true);
    EXPECT_TRUE(Cad().GridOperation().GridShow);
}

TEST_F(ToolsTest, SelectAllCopyDelete_ScaleBarProtectedAndNeverSelectedByAll)
{
    Picture(1000, 1000);
    Calibrate("152", "1", "mm");
    wb.SetupEvaluatedField(500, 500, 400);
    Hair(0, 0, 100, 0);
    Hair(0, 50, 100, 50);
    wb.SelectAllCommand();
    EXPECT_EQ(Cad().SelectedCount(), 2);
    EXPECT_EQ(Cad().IndexInSelection(Cad().ShapeById(St().ScaleBarId)), -1);
    EXPECT_EQ(Cad().IndexInSelection(Cad().ShapeById(St().BorderId)), -1);

    Cad().SelectShape(Cad().ShapeById(St().ScaleBarId));
    wb.CopyCommand();
    EXPECT_EQ(Cad().CopyBufferCount(), 0);
    EXPECT_FALSE(wb.KeyPressed(Workbench::Key::Delete, false));
    ASSERT_EQ(prompt.informations.size(), 2);
    EXPECT_EQ(prompt.informations[0].first, "Kopieren und Löschen");
    EXPECT_EQ(St().HairCount, 2);

    Cad().DeselectShape(Cad().ShapeById(St().ScaleBarId));
    int gridUpdates = 0;
    wb.OnResultsChanged = [&] { ++gridUpdates; };
    wb.DeleteCommand();
    EXPECT_EQ(gridUpdates, 1); // one recomputation for the whole selection
    EXPECT_EQ(St().HairCount, 0);
    EXPECT_TRUE(wb.Tree().Empty());
}

TEST_F(ToolsTest, ArrowKeys_MoveShapesOrLengthenWithShiftAndResultsFollow)
{
    Picture(1000, 1000);
    EXPECT_FALSE(wb.KeyPressed(Workbench::Key::Other, false));
    const int hair = Hair(10, 10, 40, 50);
    EXPECT_EQ(Cell(hair, 0, 1), "50.00");
    EXPECT_TRUE(wb.KeyPressed(Workbench::Key::Right, false));
    EXPECT_EQ(Cad().ShapeById(hair)->Nodes()[0].x, 11.0f);
    EXPECT_EQ(Cell(hair, 0, 1), "50.00");

    wb.SetZoomSlider(30, {}); // one screen pixel is about half an image pixel
    EXPECT_TRUE(wb.KeyPressed(Workbench::Key::Down, true));
    const TMyShape* line = Cad().ShapeById(hair);
    EXPECT_EQ(line->Nodes()[0].y, 10.0f);
    EXPECT_NEAR(line->Nodes()[1].y, 50 + 1 / St().Zoom, 1e-4);
    EXPECT_EQ(Cell(hair, 0, 1), QString::number(std::hypot(30.0, 40 + 1 / St().Zoom), 'f', 2));

    // Shift+arrow on the scale bar recalibrates.
    Calibrate("152", "1", "mm");
    Cad().SelectShapeById(St().ScaleBarId, true);
    wb.KeyPressed(Workbench::Key::Right, true);
    EXPECT_NEAR(St().Scale, 1.0 / (152 + 1 / St().Zoom), 1e-6);
}

TEST_F(ToolsTest, QuickCountButton_MarksClicksAndToggles)
{
    Picture(1000, 1000);
    wb.ToolButtonClicked(ToolButton::QuickHairCount);
    EXPECT_FALSE(Cad().ReturnToSelecting());
    wb.CanvasMouseUp(50, 60, false);
    wb.CanvasMouseUp(80, 60, false);
    EXPECT_EQ(St().QuickCount, 2);
    EXPECT_EQ(St().HairCount, 2);
    TMyShape* mark = Cad().ShapeByIndex(Cad().ShapeCount() - 1);
    EXPECT_EQ(mark->Name(), "Hair");
    EXPECT_FALSE(mark->ResizeEnable());
    EXPECT_EQ(mark->UserData().GetValue("Unit"), "Pixel");
    EXPECT_EQ(mark->UserData().GetValue("Length"), "0");

    wb.ToolButtonClicked(ToolButton::QuickHairCount);
    EXPECT_EQ(St().ui.down, ToolButton::None);
    EXPECT_TRUE(Cad().ReturnToSelecting());
    wb.CanvasMouseUp(120, 60, true);
    EXPECT_EQ(St().QuickCount, 2);
    EXPECT_FALSE(Cad().ReturnToSelecting()); // Ctrl on a plain canvas click keeps the tool
}

TEST_F(ToolsTest, LabelFlow_CreatesTextAtThePlaceholderOrRemovesIt)
{
    Picture(1000, 1000);
    wb.SetTextMeasurer([](const QString& text, const TMyFont&) { return QSizeF(10.0 * text.size(), 18.0); });
    wb.ToolButtonClicked(ToolButton::Label);
    prompt.labels.push_back(QStringLiteral("  Scheitel  "));
    const int before = Cad().ShapeCount();
    ClickLabelTool(200, 120);
    ASSERT_EQ(Cad().ShapeCount(), before + 1); // the placeholder went, the label came
    auto* label = dynamic_cast<TMyText*>(Cad().ShapeByIndex(Cad().ShapeCount() - 1));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Lines(), QStringList { "Scheitel" });
    EXPECT_EQ(label->Name(), "Text");
    EXPECT_EQ(label->HAlignment(), taLeftJustify);
    EXPECT_EQ(label->UserData().GetValue("Type"), "T");
    EXPECT_EQ(label->Nodes()[0], (TMyPoint { 200, 120 }));
    EXPECT_EQ(label->Nodes()[2], (TMyPoint { 280, 138 }));
    EXPECT_TRUE(wb.Tree().Empty());
    EXPECT_EQ(St().ToolMode, ToolModeMeasure);
    EXPECT_EQ(St().ui.down, ToolButton::Select);

    // Cancelled: nothing stays behind.
    wb.ToolButtonClicked(ToolButton::Label);
    ClickLabelTool(300, 300);
    EXPECT_EQ(Cad().ShapeCount(), before + 1);

    // "Beschriftung" presets with the label's text and replaces it.
    Cad().SelectShapeById(label->ShapeId(), true);
    prompt.labels.push_back(QStringLiteral("Vertex"));
    wb.LabelCommand();
    EXPECT_EQ(prompt.labelPresets.back(), "Scheitel");
    EXPECT_EQ(label->Lines(), QStringList { "Vertex" });
}

TEST_F(ToolsTest, LabelCommand_BeepsWithoutSelectionAndCaptionsHairs)
{
    Picture(1000, 1000);
    Cad().ClearSelection();
    wb.LabelCommand();
    EXPECT_EQ(prompt.beeps, 1);

    const int hair = Hair(0, 0, 100, 0);
    prompt.labels.push_back(QStringLiteral("occipital"));
    wb.LabelCommand();
    EXPECT_EQ(Cad().ShapeById(hair)->UserData().GetValue("Caption"), "occipital");
    EXPECT_EQ(wb.Tree().At(wb.Tree().FindTop(hair)).node.caption, "Haar (occipital)");
    prompt.labels.push_back(QStringLiteral("frontal"));
    wb.LabelCommand();
    EXPECT_EQ(prompt.labelPresets.back(), "occipital");
    EXPECT_EQ(wb.Tree().At(wb.Tree().FindTop(hair)).node.caption, "Haar (frontal)");
}

TEST_F(ToolsTest, LineColourAndFont_ApplyToSelectionAndCanvasOnly)
{
    Picture(1000, 1000);
    wb.SetTextMeasurer([](const QString& text, const TMyFont& font) {
        return QSizeF(double(font.height) * text.size(), font.height * 1.5);
    });
    const int hair = Hair(0, 0, 100, 0);
    prompt.colors.push_back(0x0000FF);
    wb.LineColorCommand();
    EXPECT_EQ(Cad().Pen().color, 0x0000FF);
    EXPECT_EQ(Cad().ShapeById(hair)->Pen().color, 0x0000FF);
    EXPECT_EQ(Cad().ShapeById(hair)->Font().color, 0x0000FF);
    EXPECT_EQ(St().PenColor, 0x606060);

    // Two clicks on the follicular-unit tool never make its colour the hair colour.
    wb.ToolButtonClicked(ToolButton::FollicularUnit);
    EXPECT_EQ(St().PenColor, 0x0000FF);
    EXPECT_EQ(Cad().Pen().color, St().PenFUColor);
    wb.ToolButtonClicked(ToolButton::FollicularUnit);
    EXPECT_EQ(St().PenColor, 0x0000FF);
    wb.ToolButtonClicked(ToolButton::Line);
    EXPECT_EQ(Cad().Pen().color, 0x0000FF);

    TMyFont font;
    font.name = "Liberation Sans";
    font.height = -20;
    prompt.fonts.push_back(font);
    const int text = Cad().AddShape(
        SpText, QString(), 0.0f, { QPointF(10, 10), QPointF(50, 10), QPointF(50, 30), QPointF(10, 30) }, "Text");
    static_cast<TMyText*>(Cad().ShapeById(text))->SetLines({ "abc" });
    wb.FontCommand();
    EXPECT_EQ(Cad().Font().height, 20);
    EXPECT_EQ(Cad().ShapeById(text)->Font().name, "Liberation Sans");
    EXPECT_EQ(Cad().ShapeById(text)->Nodes()[2], (TMyPoint { 70, 40 }));
}

TEST_F(ToolsTest, MouseMoveAndEvents_StatusTextAndCursors)
{
    wb.CanvasMouseMove(99.4, 20);
    // Pixels counted from 1: 99.4 lies in pixel 100, 20.0 starts pixel 21.
    EXPECT_EQ(St().ui.statusMouse, "X: 100  Y:21 Pixel");
    Cad().OnMouseEnterShape(nullptr);
    EXPECT_EQ(St().ui.cursor, CanvasCursor::MeasureAdd);
    Cad().OnMouseLeaveShape(nullptr);
    EXPECT_EQ(St().ui.cursor, CanvasCursor::Measure);
    St().ui.thicknessEnabled = false;
    Cad().OnActionToolToSelecting();
    EXPECT_TRUE(St().ui.thicknessEnabled);
    EXPECT_TRUE(St().ui.thicknessFocusRequested);
}

TEST_F(ToolsTest, TreeCopy_HtmlAndRtfHoldEveryNode)
{
    Picture(1000, 1000);
    Hair(0, 0, 30, 40);
    const Workbench::TreeCopy copy = wb.CopyTree();
    EXPECT_TRUE(copy.html.contains("<th>Parameter</th>"));
    EXPECT_TRUE(copy.html.contains("<td>Haar</td>"));
    EXPECT_TRUE(copy.html.contains("50.00"));
    EXPECT_TRUE(copy.rtf.startsWith("{\\rtf1"));
    EXPECT_TRUE(copy.rtf.contains("L\\u228?nge"));
    EXPECT_EQ(wb.Tree().SelectedCount(), 0);
    EXPECT_TRUE(wb.Tree().At(0).expanded);
}

TEST_F(ToolsTest, ThicknessSlider_OneUndoStepPerGestureOnTheSelectedHair)
{
    Picture(1000, 1000);
    const int hair = Hair(100, 100, 300, 100, 500);
    Cad().SelectShapeById(hair, true);
    EXPECT_EQ(wb.ThicknessTarget(), hair);
    const bool couldUndo = Cad().CanUndo();
    // A drag of the slider: many values, one step.
    for (int value = 510; value <= 800; value += 10)
        wb.SetThicknessSlider(value);
    EXPECT_EQ(Cad().ShapeById(hair)->UserData().GetValue("Thickness"), "800");
    EXPECT_TRUE(Cad().Modified());
    ASSERT_TRUE(wb.UndoCommand());
    EXPECT_EQ(Cad().ShapeById(hair)->UserData().GetValue("Thickness"), "500");
    EXPECT_EQ(Cad().CanUndo(), couldUndo);
    ASSERT_TRUE(wb.RedoCommand());
    EXPECT_EQ(Cad().ShapeById(hair)->UserData().GetValue("Thickness"), "800");

    // After another recorded action the next slider change is a step of its own.
    Cad().SelectShapeById(hair, true);
    wb.SetThicknessSlider(900);
    Cad().SelectShapeById(Hair(100, 200, 300, 200, 400), true);
    Cad().SelectShapeById(hair, true);
    wb.SetThicknessSlider(1000);
    ASSERT_TRUE(wb.UndoCommand());
    EXPECT_EQ(Cad().ShapeById(hair)->UserData().GetValue("Thickness"), "900");

    // Nothing selected: the slider sets the next hair only, and records nothing.
    Cad().ClearSelection();
    EXPECT_EQ(wb.ThicknessTarget(), -1);
    const uint64_t serial = Cad().UndoSerial();
    wb.SetThicknessSlider(1200);
    EXPECT_EQ(Cad().UndoSerial(), serial);
}

TEST_F(ToolsTest, ThicknessSlider_InMicrometresAndUsableWhileDrawing)
{
    Picture(1000, 1000);
    EXPECT_FALSE(wb.ThicknessMicrometres()); // uncalibrated: pixels
    Calibrate("200", "1", "mm");
    SetSlider(500);
    ASSERT_TRUE(wb.ThicknessMicrometres());
    EXPECT_DOUBLE_EQ(*wb.ThicknessMicrometres(), 25.0); // 5 pixels at 200 pixels per mm
    wb.SetThicknessMicrometres(60.0);
    EXPECT_EQ(St().ui.thickness, 1200);
    wb.SetThicknessMicrometres(1e9);
    EXPECT_EQ(St().ui.thickness, 5000);
    // The same scale in centimetres: the slider still reads micrometres.
    Calibrate("200", "0.1", "cm");
    SetSlider(500);
    ASSERT_TRUE(wb.ThicknessMicrometres());
    EXPECT_DOUBLE_EQ(*wb.ThicknessMicrometres(), 25.0);

    for (ToolButton tool : { ToolButton::Line, ToolButton::Spline, ToolButton::FollicularUnit }) {
        wb.ToolButtonClicked(tool);
        EXPECT_TRUE(St().ui.thicknessEnabled);
    }
    wb.ToolButtonClicked(ToolButton::Line);
    wb.SetThicknessMicrometres(40.0);
    const int next = Cad().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(0, 0), QPointF(100, 0) }, "Line");
    EXPECT_EQ(Cad().ShapeById(next)->UserData().GetValue("Thickness"), "800");
}

TEST_F(ToolsTest, StatusBar_MousePositionInPixelsAndCalibratedUnit)
{
    Picture(1000, 1000);
    wb.CanvasMouseMove(399.6, 199.6);
    EXPECT_EQ(St().ui.statusMouse, "X: 400  Y:200 Pixel");
    Calibrate("200", "1", "mm");
    wb.CanvasMouseMove(399.6, 199.6);
    EXPECT_EQ(St().ui.statusMouse, "X: 400  Y:200 Pixel  (2.000; 1.000 mm)");
    Calibrate("200", "1000", "µm");
    wb.CanvasMouseMove(399.6, 199.6);
    EXPECT_EQ(St().ui.statusMouse, "X: 400  Y:200 Pixel  (2000.0; 1000.0 µm)");
    Calibrate("200", "0.1", "cm");
    wb.CanvasMouseMove(399.6, 199.6);
    EXPECT_EQ(St().ui.statusMouse, "X: 400  Y:200 Pixel  (0.2000; 0.1000 cm)");
}

TEST_F(ToolsTest, Schriftart_SizesTheLabelBoxToTheTextAtAnyZoom)
{
    Picture(1000, 1000);
    wb.SetTextMeasurer([](const QString& text, const TMyFont& font) {
        return QSizeF(0.5 * font.height * text.size(), 1.2 * font.height);
    });
    wb.ToolButtonClicked(ToolButton::Label);
    prompt.labels.push_back(QStringLiteral("Wirbel"));
    ClickLabelTool(100, 100);
    auto* label = dynamic_cast<TMyText*>(Cad().ShapeByIndex(Cad().ShapeCount() - 1));
    ASSERT_NE(label, nullptr);
    for (int position : { -60, 30 }) { // zoom 0.25 and 2
        wb.SetZoomSlider(position, {});
        Cad().SelectShapeById(label->ShapeId(), true);
        TMyFont font = Cad().Font();
        font.height = 20;
        prompt.fonts.push_back(font);
        wb.FontCommand();
        EXPECT_NEAR(label->Width(), 60.0, 1e-3) << St().Zoom;
        EXPECT_NEAR(label->Height(), 24.0, 1e-3) << St().Zoom;
    }
}
