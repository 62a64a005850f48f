#include "tests/workbench/WorkbenchFixture.h"

#include "common/LanguageTable.h"

namespace {

class CalibrationTest : public WorkbenchTest
{
protected:
    TMyRuleLine* Bar() { return dynamic_cast<TMyRuleLine*>(Cad().ShapeById(St().ScaleBarId)); }

    int CountScaleBars()
    {
        int bars = 0;
        for (int i = 0; i < Cad().ShapeCount(); ++i)
            bars += Cad().ShapeByIndex(i)->UserData().GetValue("Type") == "M";
        return bars;
    }
};

} // namespace

TEST_F(CalibrationTest, Numeric_152PixelsPerMillimetre_ScaleBarAndRulers)
{
    Picture(1024, 1024);
    Calibrate("152", "1", "mm");
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 152);
    EXPECT_EQ(St().UnitText, "mm");
    EXPECT_EQ(St().AreaUnitText, "mm²");
    EXPECT_EQ(St().RulerUnit, RulerMillimetres);
    EXPECT_EQ(St().ToolMode, ToolModeMeasure);

    TMyRuleLine* bar = Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Name(), "Measure");
    EXPECT_EQ(bar->Nodes()[0], (TMyPoint { 40, 40 }));
    EXPECT_EQ(bar->Nodes()[1], (TMyPoint { 192, 40 }));
    EXPECT_EQ(bar->UserInfo(), "M: 1 mm");
    EXPECT_TRUE(bar->ShowUserInfo());
    EXPECT_EQ(bar->UserData().GetValue("Scale"), "1");
    EXPECT_EQ(bar->UserData().GetValue("Unit"), "mm");
    EXPECT_EQ(bar->UserData().GetValue("Length"), "152");
    EXPECT_EQ(bar->UserData().GetValue("Thickness"), "500"); // the slider value, as for a hair line
    EXPECT_TRUE(wb.Tree().Empty()); // the bar is no result

    // At zoom 1: g = 15200 > 750, so the rulers count tenths and the corner shows no unit.
    const RulerSettings& rulers = wb.Scale().Rulers();
    EXPECT_EQ(rulers.longTickEvery, 5);
    EXPECT_EQ(rulers.scale, 15);
    EXPECT_EQ(rulers.cornerUnit, RulerNone);
    EXPECT_NEAR(rulers.gridSize, 24.90368, 1e-9);
    EXPECT_NEAR(Cad().GridOperation().GridWidth, 24.90368, 1e-9);
    EXPECT_DOUBLE_EQ(Cad().Ratio(), 1.0 / 152);
}

TEST_F(CalibrationTest, Numeric_UnitsPixelAndMicrometres)
{
    Calibrate("250", "7", "Pixel");
    EXPECT_EQ(wb.Scale().Dialog().ScaleText(), "250"); // "Pixel" copies the pixel length
    EXPECT_FALSE(wb.Scale().Dialog().ScaleEnabled());
    EXPECT_DOUBLE_EQ(St().Scale, 1.0);
    EXPECT_EQ(St().UnitText, "Pixel");
    EXPECT_EQ(St().AreaUnitText, "Pixel");
    EXPECT_EQ(wb.Scale().Rulers().cornerUnit, RulerPixels);

    prompt.yesNo.push_back(true);
    Calibrate("10", "0.1", "µm");
    EXPECT_DOUBLE_EQ(St().Scale, 0.01);
    EXPECT_EQ(St().RulerUnit, RulerNone);
    EXPECT_EQ(St().AreaUnitText, "µm²");
    EXPECT_EQ(wb.Scale().Rulers().longTickEvery, 1); // 0.1 <= 0.2
    EXPECT_EQ(CountScaleBars(), 1);
}

TEST_F(CalibrationTest, Graphic_DrawnLineBecomesTheBar_CancelKeepsScale)
{
    Picture(1000, 1000);
    wb.ToolButtonClicked(ToolButton::Measure);
    EXPECT_EQ(St().ToolMode, ToolModeGraphicScale);
    EXPECT_EQ(Cad().ShapeTool(), SpRuleLine);
    EXPECT_EQ(St().ui.cursor, CanvasCursor::Scale);

    prompt.scaleDialogs.push_back(ScriptedPrompt::Answer("", "1", "mm"));
    const int line = Cad().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(10, 10), QPointF(130, 100) }, "Line");
    EXPECT_EQ(wb.Scale().Dialog().PixelLengthText(), "150.00");
    EXPECT_EQ(St().ScaleBarId, line);
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 150);
    TMyRuleLine* bar = Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Caption(), "M: 1 mm");
    EXPECT_EQ(bar->UserData().GetValue("Length"), "150");
    EXPECT_EQ(St().ui.down, ToolButton::Select);
    EXPECT_EQ(St().ToolMode, ToolModeMeasure);
    EXPECT_TRUE(wb.Tree().Empty());

    // Cancelled: the new line goes again, scale and unit stay as they were.
    prompt.yesNo.push_back(true);
    wb.Scale().GraphicScaleCommand();
    EXPECT_EQ(Cad().ShapeById(line), nullptr);
    prompt.scaleDialogs.push_back(ScriptedPrompt::Answer("", "5", "µm", false));
    const int second = Cad().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(10, 10), QPointF(310, 10) }, "Line");
    EXPECT_EQ(Cad().ShapeById(second), nullptr);
    EXPECT_EQ(St().ScaleBarId, -1);
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 150);
    EXPECT_EQ(St().UnitText, "mm");
    EXPECT_EQ(CountScaleBars(), 0);
}

TEST_F(CalibrationTest, Graphic_ZeroLengthLineSwitchesToNumericWith100Pixels)
{
    Picture(1000, 1000);
    wb.Scale().GraphicScaleCommand();
    prompt.scaleDialogs.push_back(ScriptedPrompt::Answer("", "2", "mm"));
    const int line = Cad().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(50, 50), QPointF(50, 50) }, "Line");
    EXPECT_EQ(Cad().ShapeById(line), nullptr);
    EXPECT_EQ(prompt.scaleDialogCount, 1);
    EXPECT_DOUBLE_EQ(St().Scale, 2.0 / 100);
    ASSERT_NE(Bar(), nullptr);
    EXPECT_EQ(Bar()->Nodes()[1].x - Bar()->Nodes()[0].x, 100.0f);
    EXPECT_EQ(CountScaleBars(), 1);
    EXPECT_EQ(Cad().SelectedShape(), Bar());
    EXPECT_EQ(St().ToolMode, ToolModeMeasure);
    EXPECT_EQ(Cad().ShapeTool(), SpSelecting);
}

TEST_F(CalibrationTest, ReplaceBar_NoKeepsItAndLeavesTheTool_YesReplacesIt)
{
    Calibrate("152", "1", "mm");
    const int first = St().ScaleBarId;
    prompt.yesNo.push_back(false);
    wb.ToolButtonClicked(ToolButton::Measure);
    EXPECT_EQ(prompt.questions.back(), "Maßstab löschen");
    EXPECT_EQ(St().ScaleBarId, first);
    EXPECT_EQ(Cad().ShapeTool(), SpSelecting);
    EXPECT_EQ(St().ToolMode, ToolModeMeasure);
    EXPECT_EQ(St().ui.down, ToolButton::None);

    prompt.yesNo.push_back(false);
    prompt.scaleDialogs.push_back(ScriptedPrompt::Answer("300", "1", "mm"));
    wb.Scale().NumericScaleCommand();
    EXPECT_EQ(prompt.scaleDialogCount, 1); // the dialog did not open again
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 152);

    prompt.yesNo.push_back(true);
    Calibrate("300", "1", "mm");
    EXPECT_EQ(Cad().ShapeById(first), nullptr);
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 300);
    EXPECT_EQ(CountScaleBars(), 1);
}

TEST_F(CalibrationTest, DraggingTheBarToDoubleLength_HalvesScaleAndLengths)
{
    Picture(1000, 1000);
    Calibrate("152", "1", "mm");
    const int hair = Hair(100, 300, 252, 300);
    EXPECT_EQ(Cell(hair, 0, 1), "1.00");

    TMyShape* bar = Bar();
    bar->Nodes()[1].x += 152;
    QPointF from, to;
    Cad().OnShapeMouseResized(bar, from, to);
    ASSERT_TRUE(wb.RefreshPending());
    wb.RefreshTimerFired();
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 304);
    EXPECT_EQ(bar->UserData().GetValue("Length"), "304");
    EXPECT_EQ(Cell(hair, 0, 1), "0.50");
    EXPECT_EQ(bar->UserData().GetValue("Scale"), "1");
}

TEST_F(CalibrationTest, NumericAtZoomBelowOne_BarHasExactlyTheCalibratedLength)
{
    Picture(2000, 2000);
    wb.SetZoomSlider(-37, {});
    Calibrate("152", "1", "mm");
    ASSERT_NE(Bar(), nullptr);
    EXPECT_FLOAT_EQ(Bar()->Width(), 152.0f);
    // A later recalibration from the bar (as loading does) keeps the scale.
    wb.Scale().RecalibrateFromBar(Bar());
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 152);
}

TEST_F(CalibrationTest, ScaleDialog_RefusesNumbersNotAboveZeroAndNonNumbers)
{
    const LanguageTable texts = LanguageTable::Pelorix();
    ScaleDialogModel model;
    model.Show();
    EXPECT_EQ(model.SelectedUnitText(), "Pixel");
    EXPECT_EQ(model.ScaleText(), "0"); // copied from the pixel length
    ScaleDialogModel::CloseCheck check = model.CheckClose(texts, '.');
    EXPECT_FALSE(check.allowed);
    EXPECT_EQ(check.title, "Ungültiger Wert");
    EXPECT_EQ(check.text, texts.Text("MessageInvalidValueScaleWarn"));

    model.SetPixelLengthText("152,5");
    model.SelectUnitText("mm");
    EXPECT_TRUE(model.ScaleEnabled());
    EXPECT_EQ(model.CheckClose(texts, ',').allowed, false); // scale value "0" is still refused
    model.SetScaleText("1");
    EXPECT_TRUE(model.CheckClose(texts, ',').allowed);
    EXPECT_EQ(model.PixelLength(','), 152.5);

    model.SetScaleText("abc");
    check = model.CheckClose(texts, '.');
    EXPECT_FALSE(check.allowed);
    EXPECT_EQ(check.text, "'abc' is not a valid floating point value");
    model.SetScaleText("nan");
    EXPECT_FALSE(model.CheckClose(texts, '.').allowed);
}

TEST_F(CalibrationTest, DamagedCalibration_RulersStillComputedWithoutHanging)
{
    // Values from a damaged file reach the dialog without its close check.
    const double gridBefore = wb.Scale().Rulers().gridSize;
    wb.Scale().Dialog().SelectUnitText("mm");
    wb.Scale().Dialog().SetScaleText("-5");
    wb.Scale().Dialog().SetPixelLengthText("10");
    EXPECT_TRUE(wb.Scale().ApplyScaleDialog(true));
    EXPECT_DOUBLE_EQ(St().Scale, -0.5);
    EXPECT_EQ(wb.Scale().Rulers().gridSize, gridBefore);

    wb.Scale().Dialog().SetScaleText("oops");
    EXPECT_FALSE(wb.Scale().ApplyScaleDialog(true));
    EXPECT_EQ(prompt.messages.back(), "'oops' is not a valid floating point value");
}

TEST_F(CalibrationTest, ShowScaleBar_HidesAndShowsTheBar)
{
    Calibrate("152", "1", "mm");
    wb.Scale().SetShowScaleBar(false);
    EXPECT_FALSE(Bar()->Visible());
    wb.Scale().SetShowScaleBar(true);
    EXPECT_TRUE(Bar()->Visible());
}
