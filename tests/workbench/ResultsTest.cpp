#include "tests/workbench/WorkbenchFixture.h"

#include "canvas/TMyRectangle.h"
#include "workbench/HairMetrics.h"

#include <cmath>
#include <numbers>

namespace {

class ResultsTest : public WorkbenchTest
{
protected:
    // 152 pixels per millimetre with the exclusion circle r = 430 at (512, 512) on 1024 x 1024.
    void CalibratedField()
    {
        Picture(1024, 1024);
        Calibrate("152", "1", "mm");
        wb.SetupEvaluatedField(512, 512, 430);
    }
};

} // namespace

TEST_F(ResultsTest, Density_WorkedExample_TenHairsIn0_2514SquareCentimetres)
{
    CalibratedField();
    EXPECT_EQ(St().EvaluatedArea, HairMetrics::CountDiscPoints(512, 512, 430, 1024, 1024));
    EXPECT_NEAR(double(St().EvaluatedArea), std::numbers::pi * 430 * 430, 430 * 8.0);
    EXPECT_NEAR(Row(RowArea).value, 0.2514, 0.0001);
    EXPECT_EQ(Row(RowArea).text, "0.25");
    EXPECT_EQ(Row(RowArea).unit, "cm²");

    for (int i = 0; i < 10; ++i)
        Hair(300, 300 + 20 * i, 400, 300 + 20 * i, 700);
    EXPECT_EQ(Row(RowCount).text, "10");
    // 10 / F with F counted on the lattice (about 39.77 with pi r^2 instead).
    EXPECT_NEAR(Row(RowDensity).value, 39.77, 0.01);
    EXPECT_EQ(Row(RowDensity).text, "39.78");
    EXPECT_EQ(Row(RowDensity).unit, "1/cm²");
    EXPECT_EQ(Row(RowFollicularUnits).text, "-");
    EXPECT_EQ(Row(RowFollicularUnitDensity).text, "0.00");
}

TEST_F(ResultsTest, StraightHair_152PixelsAt152PerMm_OneMillimetreAndVellusOrTerminal)
{
    CalibratedField();
    const int thin = Hair(100, 100, 252, 100, 500);
    EXPECT_EQ(Cell(thin, 0, 0), "Länge");
    EXPECT_EQ(Cell(thin, 0, 1), "1.00");
    EXPECT_EQ(Cell(thin, 0, 2), "mm");
    EXPECT_EQ(Cell(thin, 1, 0), "Dicke");
    EXPECT_EQ(Cell(thin, 1, 1), "33");
    EXPECT_EQ(Cell(thin, 1, 2), "µm");
    EXPECT_EQ(Row(RowVellusCount).text, "1");
    EXPECT_EQ(Row(RowTerminalCount).text, "0");
    EXPECT_EQ(Row(RowThicknessMean).text, "32.89");
    EXPECT_EQ(Row(RowThicknessMean).unit, "µm");
    EXPECT_EQ(Row(RowLengthMean).text, "1.00");
    EXPECT_EQ(Row(RowLengthMean).unit, "mm");
    EXPECT_EQ(Row(RowLengthCum).unit, "mm/cm²");

    const int thick = Hair(100, 200, 252, 200, 700);
    EXPECT_EQ(Cell(thick, 1, 1), "46");
    EXPECT_EQ(Row(RowVellusCount).text, "1");
    EXPECT_EQ(Row(RowTerminalCount).text, "1");
    EXPECT_EQ(wb.Tree().At(wb.Tree().FindTop(thick)).node.caption, "Haar");
}

TEST_F(ResultsTest, PixelUnits_NoVellusSplitWhateverTheShape)
{
    Picture(1000, 1000);
    Hair(10, 10, 110, 10, 1);
    const int thinCurve = Curve({ QPointF(0, 0), QPointF(10, 0), QPointF(20, 0), QPointF(30, 0) }, 4);
    Curve({ QPointF(0, 50), QPointF(10, 50), QPointF(20, 50), QPointF(30, 50) }, 5);
    EXPECT_EQ(St().UnitText, "Pixel");
    EXPECT_EQ(St().VellusCount, 0);
    EXPECT_EQ(Row(RowVellusCount).text, "-");
    EXPECT_EQ(Cell(thinCurve, 0, 1), "30.00");
    EXPECT_EQ(Cell(thinCurve, 1, 1), "0.04"); // two decimals outside millimetres
    EXPECT_EQ(Cell(thinCurve, 1, 2), "Pixel");
    // Without an evaluated field the densities have no value, the area shows 0.00.
    EXPECT_EQ(Row(RowArea).text, "0.00");
    EXPECT_EQ(Row(RowArea).unit, "Pixel");
    EXPECT_EQ(Row(RowDensity).text, "-");
    EXPECT_EQ(Row(RowThicknessCum).text, "-");
    EXPECT_EQ(Row(RowThicknessMean).unit, "Pixel");
}

TEST_F(ResultsTest, QuickCount_ThreeMarks_CountOnlyAndRenumberingAfterDeletion)
{
    CalibratedField();
    wb.ToolButtonClicked(ToolButton::QuickHairCount);
    std::vector<int> ids;
    for (int i = 0; i < 3; ++i) {
        wb.CanvasMouseUp(100 + 30 * i, 100, false);
        ids.push_back(Cad().ShapeCount() - 1 >= 0 ? Cad().ShapeByIndex(Cad().ShapeCount() - 1)->ShapeId() : -1);
    }
    auto info = [&](int id) { return static_cast<TMyRuleLine*>(Cad().ShapeById(id))->UserInfo(); };
    EXPECT_EQ(info(ids[0]), "1");
    EXPECT_EQ(info(ids[2]), "3");
    EXPECT_EQ(Row(RowCount).text, "3");
    for (int row : { RowThicknessMean, RowThicknessCum, RowLengthMean, RowLengthCum, RowVellusCount, RowTerminalCount })
        EXPECT_EQ(Row(row).text, "-") << row;
    EXPECT_EQ(Cad().ShapeById(ids[0])->UserData().GetValue("Type"), "C");
    EXPECT_EQ(Cad().ShapeById(ids[0])->UserData().GetValue("Thickness"), "500");
    EXPECT_EQ(Cell(ids[0], 0, 1), "0"); // thickness only: a mark has no length

    Cad().DeleteShapeById(ids[0], true);
    EXPECT_EQ(info(ids[1]), "1");
    EXPECT_EQ(info(ids[2]), "2");
    EXPECT_EQ(Row(RowCount).text, "2");
}

TEST_F(ResultsTest, DeletingEveryHair_DashesForMeansAndZeroDensities)
{
    CalibratedField();
    Hair(100, 100, 252, 100);
    Ellipse(300, 300, 40, 30);
    wb.SelectAllCommand();
    wb.DeleteCommand();
    EXPECT_TRUE(wb.Tree().Empty());
    EXPECT_EQ(Row(RowCount).text, "0");
    for (int row : { RowThicknessMean, RowThicknessCum, RowLengthMean, RowLengthCum, RowVellusCount, RowTerminalCount,
             RowFollicularUnits })
        EXPECT_EQ(Row(row).text, "-") << row;
    for (int row : { RowDensity, RowVellusDensity, RowTerminalDensity, RowFollicularUnitDensity })
        EXPECT_EQ(Row(row).text, "0.00") << row;
    // The scale bar and the border survive "Alle auswählen" + "Löschen".
    EXPECT_NE(Cad().ShapeById(St().ScaleBarId), nullptr);
    EXPECT_NE(Cad().ShapeById(St().BorderId), nullptr);
}

TEST_F(ResultsTest, CurvedHair_FiveNodesUseTheFirstSegmentOnly)
{
    CalibratedField();
    const int curve = Curve({ QPointF(0, 0), QPointF(50, 0), QPointF(100, 0), QPointF(152, 0) });
    // A fifth node (as a file may hold) makes no second segment.
    Cad().ShapeById(curve)->Nodes().push_back(TMyPoint { 900, 900 });
    wb.RecomputeAll();
    EXPECT_EQ(Cell(curve, 0, 1), "1.00");
    EXPECT_EQ(Cell(curve, 1, 1), "33");
    EXPECT_EQ(St().VellusCount, 1);
}

TEST_F(ResultsTest, FollicularUnitWithLabel_CaptionInBracketsAndCounted)
{
    CalibratedField();
    const int unit = Ellipse(300, 300, 40, 30);
    prompt.labels.push_back(QStringLiteral("  A "));
    Cad().SelectShapeById(unit, true);
    wb.LabelCommand();
    const int top = wb.Tree().FindTop(unit);
    EXPECT_EQ(wb.Tree().At(top).node.caption, "Follikuläre Einheit (A)");
    EXPECT_TRUE(wb.Tree().At(top).children.empty());
    EXPECT_EQ(Row(RowFollicularUnits).text, "1");
    EXPECT_EQ(Row(RowCount).text, "0");
}

TEST_F(ResultsTest, ThicknessNotAnInteger_ShowsConversionErrorAndStops)
{
    Picture(500, 500);
    const int hair = Hair(0, 0, 30, 40);
    Hair(0, 100, 30, 140);
    Cad().ShapeById(hair)->UserData().SetValue("Thickness", "5.5");
    wb.RecomputeAll();
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages.front(), "'5.5' is not a valid integer value");
    EXPECT_EQ(St().HairCount, 0);
}

TEST_F(ResultsTest, Results_SnapshotCarriesRowsAndObjectsAsShown)
{
    CalibratedField();
    const int hair = Hair(100, 100, 252, 100, 500);
    const ResultsSnapshot results = wb.Results();
    EXPECT_EQ(results.unit, "mm");
    EXPECT_EQ(results.areaUnit, "mm²");
    EXPECT_DOUBLE_EQ(results.scale, 1.0 / 152);
    EXPECT_EQ(results.imageWidth, 1024);
    ASSERT_EQ(results.rows.size(), 19u);
    EXPECT_EQ(results.rows[RowHairs].caption, "Hairs");
    EXPECT_TRUE(results.rows[RowHairs].header);
    EXPECT_TRUE(results.rows[RowCount].band);
    ASSERT_EQ(results.objects.size(), 1u);
    EXPECT_EQ(results.objects[0].id, hair);
    ASSERT_EQ(results.objects[0].params.size(), 2u);
    EXPECT_EQ(results.objects[0].params[1].name, "Dicke");
    EXPECT_EQ(results.objects[0].params[1].unit, "µm");
    EXPECT_EQ(results.objects[0].params[1].decimals, 0);
    EXPECT_NEAR(results.objects[0].params[1].value, 500 * 0.01 / 152 * 1000, 1e-9);

    const std::vector<ExportObject> exported = wb.Tree().ExportObjects();
    ASSERT_EQ(exported.size(), 1u);
    EXPECT_EQ(exported[0].parameters[0].first, "Länge");
}

TEST_F(ResultsTest, EvaluatedField_BorderShapeLayersAndReplacement)
{
    Picture(1000, 800);
    wb.SetupEvaluatedField(100, 100, 50);
    TMyShape* border = Cad().ShapeById(St().BorderId);
    ASSERT_NE(border, nullptr);
    EXPECT_STREQ(border->ClassName(), "TMyEllipse");
    EXPECT_EQ(border->Name(), "Border");
    EXPECT_EQ(border->Caption(), "");
    EXPECT_TRUE(border->Locked());
    EXPECT_EQ(border->Pen().width, 3);
    EXPECT_EQ(border->Pen().color, 0x00D379);
    EXPECT_EQ(border->UserData().GetValue("Type"), "T");
    EXPECT_EQ(border->LayerId(), Cad().LayerIdByName("BorderLayer"));
    EXPECT_EQ(border->Left(), 50.0f);
    EXPECT_EQ(border->Right(), 150.0f);
    EXPECT_EQ(St().HairLayerId, Cad().LayerIdByName("HairLayer"));
    EXPECT_EQ(Cad().CurrentLayer(), St().HairLayerId);
    EXPECT_FALSE(Cad().OperateAllLayer());
    EXPECT_TRUE(wb.Tree().Empty());
    EXPECT_EQ(St().ToolMode, ToolModeMeasure);

    // A second set-up (another host picture) leaves exactly one border and reuses the layers.
    const int layers = Cad().LayerCount();
    wb.SetupEvaluatedField(400, 300, 200);
    int borders = 0;
    for (int i = 0; i < Cad().ShapeCount(); ++i)
        borders += Cad().ShapeByIndex(i)->Name() == "Border";
    EXPECT_EQ(borders, 1);
    EXPECT_EQ(Cad().LayerCount(), layers);
    EXPECT_EQ(St().EvaluatedArea, HairMetrics::CountDiscPoints(400, 300, 200, 800, 600));
}

TEST_F(ResultsTest, RecomputeAll_RebuildsCountersAndKeepsExpansion)
{
    Picture(500, 500);
    const int a = Hair(0, 0, 30, 40);
    const int b = Hair(0, 100, 60, 180);
    St().RefreshShapeId = -1; // the refreshed shape always counts as expanded
    wb.Tree().At(wb.Tree().FindTop(a)).expanded = false;
    wb.RecomputeAll();
    wb.RecomputeAll();
    EXPECT_EQ(St().HairCount, 2);
    EXPECT_DOUBLE_EQ(St().LengthSum, 50.0 + 100.0);
    EXPECT_FALSE(wb.Tree().At(wb.Tree().FindTop(a)).expanded);
    EXPECT_TRUE(wb.Tree().At(wb.Tree().FindTop(b)).expanded);
    EXPECT_EQ(wb.Tree().At(wb.Tree().FindTop(a)).children.size(), 2u);
}
